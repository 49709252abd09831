#include "jet/model/text.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <vector>

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

// Converts all of `in` with `cd`; at each byte iconv refuses, `bad` appends
// what stands for it and says how many bytes it stood for.
template <class Bad>
std::string convertAll(iconv_t cd, std::string_view in, Bad bad) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  std::string out;
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
  return out;
}

}  // namespace

// The converter is opened on the first text that is not plain ASCII: opening
// it loads a code page module, and most text never needs it. A single-byte
// code page (every Windows code page but the East Asian ones) is then turned
// into a table of the UTF-8 form of each byte, so that text converts by
// lookup; a double-byte code page keeps the converter.
struct TextDecoder::Impl {
  iconv_t cd = reinterpret_cast<iconv_t>(-1);
  bool opened = false;
  std::vector<std::string> table;  // empty unless the code page is single-byte

  void open(int& codePage) {
    opened = true;
    cd = iconv_open("UTF-8", ("CP" + std::to_string(codePage)).c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) {
      codePage = 1252;
      cd = iconv_open("UTF-8", "CP1252");
    }
    if (cd != reinterpret_cast<iconv_t>(-1)) buildTable();
  }

  void buildTable() {
    std::vector<std::string> bytes(256);
    for (unsigned b = 0; b < 256; ++b) {
      char in = static_cast<char>(b);
      char* inPtr = &in;
      std::size_t inLeft = 1;
      char buffer[8];
      char* o = buffer;
      std::size_t outLeft = sizeof buffer;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      if (iconv(cd, &inPtr, &inLeft, &o, &outLeft) == static_cast<std::size_t>(-1)) {
        if (errno != EILSEQ) return;  // a lead byte: the code page is not single-byte
        appendUtf8(bytes[b], b);      // undefined: the character of its number
        continue;
      }
      bytes[b].assign(buffer, static_cast<std::size_t>(o - buffer));
    }
    table = std::move(bytes);
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
  const auto firstHigh = std::find_if(bytes.begin(), bytes.end(),
                                      [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
  if (firstHigh == bytes.end()) return std::string(bytes);
  if (!impl_->opened) impl_->open(codePage_);
  std::string out;
  if (!impl_->table.empty()) {
    out.reserve(bytes.size() + bytes.size() / 2);
    out.append(bytes.begin(), firstHigh);
    for (auto it = firstHigh; it != bytes.end(); ++it) {
      const auto b = static_cast<unsigned char>(*it);
      if (b < 0x80) {
        out.push_back(*it);
      } else {
        out += impl_->table[b];
      }
    }
    return out;
  }
  if (impl_->cd == reinterpret_cast<iconv_t>(-1)) {
    for (char c : bytes) appendUtf8(out, static_cast<unsigned char>(c));
    return out;
  }
  // An undefined or incomplete byte: shown as the character of its number.
  return convertAll(impl_->cd, bytes, [](std::string& to, std::string_view rest) {
    appendUtf8(to, static_cast<unsigned char>(rest[0]));
    return std::size_t{1};
  });
}

std::string fromUtf8(std::string_view text, int codePage) {
  iconv_t cd = iconv_open(("CP" + std::to_string(codePage)).c_str(), "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) cd = iconv_open("CP1252", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(text);
  // A character the code page lacks, or a broken sequence: one '?' for the
  // whole UTF-8 sequence.
  std::string out = convertAll(cd, text, [](std::string& to, std::string_view rest) {
    to += '?';
    std::size_t n = 1;
    while (n < rest.size() && (static_cast<unsigned char>(rest[n]) & 0xC0) == 0x80) ++n;
    return n;
  });
  iconv_close(cd);
  return out;
}

}  // namespace jet
