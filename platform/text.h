// Text as a Spanish Windows treats it, over UTF-8 strings.
//
// The window's logic keeps every string in UTF-8. Windows strings are UTF-16,
// so positions and lengths that reach the window (selection start, "first
// n characters") are counted in UTF-16 units, as Windows counts them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// Upper case as Windows writes it: one character for one character ("año"
// becomes "AÑO", "ß" stays "ß"; no mapping that leaves the letter's script:
// "µ", "ı" and "ſ" stay as they are). Bytes that are not UTF-8 pass unchanged.
std::string upperCase(std::string_view text);

// Removes leading and trailing blanks (U+0020 only, as Windows' Trim does).
std::string trimBlanks(std::string_view text);
std::string trimTrailingBlanks(std::string_view text);

// True iff a and b are equal once both are upper-cased as above.
bool equalIgnoringCase(std::string_view a, std::string_view b);

// Length in UTF-16 units; a byte that is not UTF-8 counts as one unit.
std::size_t utf16Length(std::string_view text);
// The first `units` UTF-16 units of `text` (never half of a character).
std::string utf16Prefix(std::string_view text, std::size_t units);

bool isValidUtf8(std::string_view bytes);
// Decodes bytes of the ANSI code page 1252 (every byte has a character; the
// five bytes 1252 leaves undefined become the control characters U+0081,
// U+008D, U+008F, U+0090, U+009D, as Windows converts them).
std::string cp1252ToUtf8(std::string_view bytes);

// Code points of `text`; a byte that is not UTF-8 becomes U+DC00 + the byte
// (U+DC80..U+DCFF), so distinct bytes stay distinct and encode back to
// themselves.
std::u32string decodeUtf8(std::string_view text);
std::string encodeUtf8(std::u32string_view text);

}  // namespace platform
