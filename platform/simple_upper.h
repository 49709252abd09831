// The simple (one character for one character) upper case of a Unicode
// character, from the system's own tables: ICU on Linux, the system's
// LCMapStringEx on Windows.
#pragma once

namespace platform {

char32_t simpleUpperCase(char32_t c);

}  // namespace platform
