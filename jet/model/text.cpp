#include "jet/model/text.h"

#include <iconv.h>

#include <cerrno>

namespace jet {
namespace {

void appendUtf8(std::string& out, unsigned code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

}  // namespace

// The converter is opened on the first text that is not plain ASCII: opening
// it loads a code page module, and most text never needs it.
struct TextDecoder::Impl {
  iconv_t cd = reinterpret_cast<iconv_t>(-1);
  bool opened = false;
  void open(int& codePage) {
    opened = true;
    cd = iconv_open("UTF-8", ("CP" + std::to_string(codePage)).c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) {
      codePage = 1252;
      cd = iconv_open("UTF-8", "CP1252");
    }
  }
  ~Impl() {
    if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
  }
};

TextDecoder::TextDecoder(int codePage) : codePage_(codePage), impl_(std::make_unique<Impl>()) {}

int TextDecoder::codePage() const {
  if (!impl_->opened) impl_->open(codePage_);
  return codePage_;
}

TextDecoder::~TextDecoder() = default;
TextDecoder::TextDecoder(TextDecoder&&) noexcept = default;
TextDecoder& TextDecoder::operator=(TextDecoder&&) noexcept = default;

std::string TextDecoder::toUtf8(std::string_view bytes) const {
  std::string out;
  bool ascii = true;
  for (char c : bytes) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii) return std::string(bytes);
  if (!impl_->opened) impl_->open(codePage_);
  if (impl_->cd == reinterpret_cast<iconv_t>(-1)) {
    for (char c : bytes) appendUtf8(out, static_cast<unsigned char>(c));
    return out;
  }
  iconv(impl_->cd, nullptr, nullptr, nullptr, nullptr);
  char* in = const_cast<char*>(bytes.data());
  std::size_t inLeft = bytes.size();
  char buffer[1024];
  while (inLeft > 0) {
    char* o = buffer;
    std::size_t outLeft = sizeof buffer;
    std::size_t r = iconv(impl_->cd, &in, &inLeft, &o, &outLeft);
    out.append(buffer, static_cast<std::size_t>(o - buffer));
    if (r == static_cast<std::size_t>(-1)) {
      if (errno == E2BIG) continue;
      // An undefined or incomplete byte: show it as the character of its number.
      appendUtf8(out, static_cast<unsigned char>(*in));
      ++in;
      --inLeft;
      iconv(impl_->cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  return out;
}

}  // namespace jet
