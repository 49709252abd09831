// What showing text does the same way on every system: plain ASCII as it
// is, a single-byte code page through a table, the rest through the code
// page's converter (code_page.h).
#include "jet/model/text.h"

#include <algorithm>
#include <vector>

#include "jet/model/code_page.h"

namespace jet {

void appendUtf8(std::string& out, unsigned code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// The code page is opened on the first text that is not plain ASCII: opening
// it loads a code page module, and most text never needs it. A single-byte
// code page (every Windows code page but the East Asian ones) is then turned
// into a table of the UTF-8 form of each byte, so that text converts by
// lookup; a double-byte code page keeps the converter.
struct TextDecoder::Impl {
  bool opened = false;
  std::unique_ptr<CodePage> codePage;
  std::vector<std::string> table;  // empty unless the code page is single-byte

  void open(int& number) {
    opened = true;
    codePage = openCodePage(number);
    if (!codePage || !codePage->singleByte()) return;
    table.resize(256);
    for (unsigned b = 0; b < 256; ++b) {
      const char c = static_cast<char>(b);
      codePage->toUtf8(std::string_view(&c, 1), table[b]);
    }
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
  out.reserve(bytes.size() + bytes.size() / 2);
  out.append(bytes.begin(), firstHigh);
  const std::string_view rest = bytes.substr(static_cast<std::size_t>(firstHigh - bytes.begin()));
  if (!impl_->table.empty()) {
    for (char c : rest) {
      const auto b = static_cast<unsigned char>(c);
      if (b < 0x80) out.push_back(c);
      else out += impl_->table[b];
    }
  } else if (impl_->codePage) {
    impl_->codePage->toUtf8(rest, out);
  } else {
    for (char c : rest) appendUtf8(out, static_cast<unsigned char>(c));
  }
  return out;
}

}  // namespace jet
