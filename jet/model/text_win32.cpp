// Code pages on Windows: the system's own tables (MultiByteToWideChar), with
// the rules of code_page.h: a byte the code page leaves undefined, or a lead
// byte without its trail, is the character of its number; an unknown code
// page is taken for 1252.
#include <windows.h>

#include <algorithm>
#include <vector>

#include "jet/model/code_page.h"
#include "jet/model/text.h"

namespace jet {
namespace {

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

class WindowsCodePage final : public CodePage {
 public:
  explicit WindowsCodePage(unsigned number) : number_(number) {
    CPINFO info{};
    singleByte_ = ::GetCPInfo(number_, &info) && info.MaxCharSize == 1;
  }

  bool singleByte() const override { return singleByte_; }

  // A character at a time; a lead byte whose pair is undefined stands for
  // itself, and its trail is read afresh.
  void toUtf8(std::string_view bytes, std::string& out) const override {
    std::size_t i = 0;
    while (i < bytes.size()) {
      const auto b = static_cast<unsigned char>(bytes[i]);
      if (b < 0x80) {
        out.push_back(bytes[i++]);
        continue;
      }
      const bool lead = ::IsDBCSLeadByteEx(number_, b);
      if (lead && i + 1 < bytes.size() && convertCharacter(number_, bytes.substr(i, 2), out)) {
        i += 2;
      } else if (!lead && convertCharacter(number_, bytes.substr(i, 1), out)) {
        i += 1;
      } else {
        appendUtf8(out, b);
        i += 1;
      }
    }
  }

 private:
  unsigned number_;
  bool singleByte_ = false;
};

}  // namespace

std::unique_ptr<CodePage> openCodePage(int& number) {
  if (number <= 0 || !::IsValidCodePage(static_cast<UINT>(number))) number = 1252;
  return std::make_unique<WindowsCodePage>(static_cast<unsigned>(number));
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
