// Code pages on POSIX systems: iconv.
#include <iconv.h>

#include <algorithm>
#include <cerrno>

#include "jet/model/code_page.h"
#include "jet/model/text.h"

namespace jet {
namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

// Converts all of `in` with `cd` onto `out`; at each byte iconv refuses,
// `bad` appends what stands for it and says how many bytes it stood for.
template <class Bad>
void convertAll(iconv_t cd, std::string_view in, std::string& out, Bad bad) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char* from = const_cast<char*>(in.data());
  std::size_t left = in.size();
  char buffer[1024];
  while (left > 0) {
    char* o = buffer;
    std::size_t outLeft = sizeof buffer;
    const std::size_t r = iconv(cd, &from, &left, &o, &outLeft);
    out.append(buffer, static_cast<std::size_t>(o - buffer));
    if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
      const std::size_t skip = std::min(left, bad(out, std::string_view(from, left)));
      from += skip;
      left -= skip;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
}

class IconvCodePage final : public CodePage {
 public:
  explicit IconvCodePage(iconv_t cd) : cd_(cd) {
    // A byte iconv finds incomplete is a lead byte: the code page has
    // characters of two bytes.
    for (unsigned b = 0x80; b < 256 && singleByte_; ++b) {
      char in = static_cast<char>(b);
      char* inPtr = &in;
      std::size_t inLeft = 1;
      char buffer[8];
      char* o = buffer;
      std::size_t outLeft = sizeof buffer;
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);
      if (iconv(cd_, &inPtr, &inLeft, &o, &outLeft) == static_cast<std::size_t>(-1) &&
          errno != EILSEQ) {
        singleByte_ = false;
      }
    }
  }
  ~IconvCodePage() override { iconv_close(cd_); }
  IconvCodePage(const IconvCodePage&) = delete;
  IconvCodePage& operator=(const IconvCodePage&) = delete;

  bool singleByte() const override { return singleByte_; }

  void toUtf8(std::string_view bytes, std::string& out) const override {
    convertAll(cd_, bytes, out, [](std::string& to, std::string_view rest) {
      appendUtf8(to, static_cast<unsigned char>(rest[0]));
      return std::size_t{1};
    });
  }

 private:
  iconv_t cd_;
  bool singleByte_ = true;
};

}  // namespace

std::unique_ptr<CodePage> openCodePage(int& number) {
  iconv_t cd = iconv_open("UTF-8", ("CP" + std::to_string(number)).c_str());
  if (cd == kNoConverter) {
    number = 1252;
    cd = iconv_open("UTF-8", "CP1252");
  }
  if (cd == kNoConverter) return nullptr;
  return std::make_unique<IconvCodePage>(cd);
}

std::string fromUtf8(std::string_view text, int codePage) {
  iconv_t cd = iconv_open(("CP" + std::to_string(codePage)).c_str(), "UTF-8");
  if (cd == kNoConverter) cd = iconv_open("CP1252", "UTF-8");
  if (cd == kNoConverter) return std::string(text);
  // A character the code page lacks, or a broken sequence: one '?' for the
  // whole UTF-8 sequence.
  std::string out;
  convertAll(cd, text, out, [](std::string& to, std::string_view rest) {
    to += '?';
    std::size_t n = 1;
    while (n < rest.size() && (static_cast<unsigned char>(rest[n]) & 0xC0) == 0x80) ++n;
    return n;
  });
  iconv_close(cd);
  return out;
}

}  // namespace jet
