// One Windows code page's converter to UTF-8, as each system gives it: iconv
// on POSIX systems (text_posix.cpp), the system's own tables on Windows
// (text_win32.cpp). TextDecoder (text.cpp) is built on it.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace jet {

class CodePage {
 public:
  virtual ~CodePage() = default;
  // True iff every character of the code page is one byte.
  virtual bool singleByte() const = 0;
  // Appends the UTF-8 form of `bytes` to `out`. A byte the code page leaves
  // undefined, or a lead byte without its trail, stands for the character of
  // its number.
  virtual void toUtf8(std::string_view bytes, std::string& out) const = 0;
};

// Opens code page `number`, or 1252 when that one is unknown (and `number`
// says so then). Null when not even 1252 can be opened.
std::unique_ptr<CodePage> openCodePage(int& number);

// Appends the UTF-8 form of the character numbered `code`.
void appendUtf8(std::string& out, unsigned code);

}  // namespace jet
