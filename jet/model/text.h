// Showing text: from a Jet 3 code page to UTF-8.
//
// The engine keeps text as the bytes the file holds (jet::Text). Only display
// converts, in the code page the database declares unless the caller names
// another (docs/format.md, "Text": the declared one is not always the one used). A byte the
// code page leaves undefined (five of them in 1252) is shown as the Unicode
// character of the same number, as Windows does, so nothing is dropped.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace jet {

class TextDecoder {
 public:
  // A decoder for Windows code page `codePage` (1252, 932, 936, ...). An
  // unknown code page falls back to 1252.
  explicit TextDecoder(int codePage = 1252);
  ~TextDecoder();
  TextDecoder(TextDecoder&&) noexcept;
  TextDecoder& operator=(TextDecoder&&) noexcept;

  // The code page in use: the one asked for, or 1252 when that one is unknown.
  int codePage() const;
  std::string toUtf8(std::string_view bytes) const;

 private:
  struct Impl;
  mutable int codePage_;
  std::unique_ptr<Impl> impl_;
};

// The bytes of UTF-8 `text` in Windows code page `codePage`, for text the
// engine itself writes into a database (the descriptions of MSysCompactError).
// A character the code page lacks becomes '?'; an unknown code page is taken
// for 1252.
std::string fromUtf8(std::string_view text, int codePage);

}  // namespace jet
