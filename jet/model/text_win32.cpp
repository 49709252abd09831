// Showing text on Windows: the system's own code page tables
// (MultiByteToWideChar), with the same rules as text.cpp: a byte the code
// page leaves undefined, or a lead byte without its trail, is shown as the
// character of its number; an unknown code page is taken for 1252.
#include <windows.h>

#include <algorithm>
#include <vector>

#include "jet/model/text.h"

namespace jet {
namespace {

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

void appendUtf16(std::string& out, const wchar_t* units, int count) {
  for (int i = 0; i < count; ++i) {
    unsigned code = static_cast<std::uint16_t>(units[i]);
    if (code >= 0xD800 && code < 0xDC00 && i + 1 < count) {
      const unsigned low = static_cast<std::uint16_t>(units[i + 1]);
      if (low >= 0xDC00 && low < 0xE000) {
        code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        ++i;
      }
    }
    appendUtf8(out, code);
  }
}

// One character of `codePage` in `bytes` to UTF-8; false when the code page
// does not define it.
bool convertCharacter(unsigned codePage, std::string_view bytes, std::string& out) {
  wchar_t units[4];
  const int n = ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(),
                                      static_cast<int>(bytes.size()), units, 4);
  if (n <= 0) return false;
  appendUtf16(out, units, n);
  return true;
}

}  // namespace

struct TextDecoder::Impl {
  bool opened = false;
  unsigned codePage = 1252;
  std::vector<std::string> table;  // empty unless the code page is single-byte

  void open(int& number) {
    opened = true;
    if (number <= 0 || !::IsValidCodePage(static_cast<UINT>(number))) number = 1252;
    codePage = static_cast<unsigned>(number);
    CPINFO info{};
    if (::GetCPInfo(codePage, &info) && info.MaxCharSize == 1) buildTable();
  }

  void buildTable() {
    std::vector<std::string> bytes(256);
    for (unsigned b = 0; b < 256; ++b) {
      const char c = static_cast<char>(b);
      if (!convertCharacter(codePage, std::string_view(&c, 1), bytes[b])) appendUtf8(bytes[b], b);
    }
    table = std::move(bytes);
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
  std::size_t i = static_cast<std::size_t>(firstHigh - bytes.begin());
  if (!impl_->table.empty()) {
    for (; i < bytes.size(); ++i) {
      const auto b = static_cast<unsigned char>(bytes[i]);
      if (b < 0x80) out.push_back(bytes[i]);
      else out += impl_->table[b];
    }
    return out;
  }
  // A double-byte code page: a character at a time; a lead byte whose pair
  // is undefined stands for itself, and its trail is read afresh.
  while (i < bytes.size()) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (b < 0x80) {
      out.push_back(bytes[i++]);
      continue;
    }
    const bool lead = ::IsDBCSLeadByteEx(impl_->codePage, b) && i + 1 < bytes.size();
    if (lead && convertCharacter(impl_->codePage, bytes.substr(i, 2), out)) {
      i += 2;
    } else if (!::IsDBCSLeadByteEx(impl_->codePage, b) &&
               convertCharacter(impl_->codePage, bytes.substr(i, 1), out)) {
      i += 1;
    } else {
      appendUtf8(out, b);
      i += 1;
    }
  }
  return out;
}

std::string fromUtf8(std::string_view text, int codePage) {
  UINT cp = codePage > 0 && ::IsValidCodePage(static_cast<UINT>(codePage))
                ? static_cast<UINT>(codePage) : 1252;
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const auto b0 = static_cast<unsigned char>(text[i]);
    if (b0 < 0x80) {
      out += text[i++];
      continue;
    }
    // The length of a well-formed sequence; 0 for a broken one.
    std::size_t n = (b0 & 0xE0) == 0xC0 ? 2 : (b0 & 0xF0) == 0xE0 ? 3 : (b0 & 0xF8) == 0xF0 ? 4 : 0;
    for (std::size_t k = 1; n && k < n; ++k) {
      if (i + k >= text.size() || (static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) n = 0;
    }
    wchar_t units[2];
    const int count = n ? ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data() + i,
                                                static_cast<int>(n), units, 2)
                        : 0;
    char bytes[8];
    BOOL defaulted = FALSE;
    const int made = count > 0 ? ::WideCharToMultiByte(cp, WC_NO_BEST_FIT_CHARS, units, count,
                                                       bytes, sizeof bytes, nullptr, &defaulted)
                               : 0;
    if (made > 0 && !defaulted) {
      out.append(bytes, static_cast<std::size_t>(made));
    } else {
      // A character the code page lacks, or a broken sequence: one '?' for
      // the whole sequence.
      out += '?';
    }
    if (n == 0) {
      n = 1;
      while (i + n < text.size() && (static_cast<unsigned char>(text[i + n]) & 0xC0) == 0x80) ++n;
    }
    i += n;
  }
  return out;
}

}  // namespace jet
