#include "platform/simple_upper.h"

#include <windows.h>

#include <cstdint>

namespace platform {

char32_t simpleUpperCase(char32_t c) {
  wchar_t in[2];
  int n = 1;
  if (c >= 0x10000) {
    in[0] = static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
    in[1] = static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    n = 2;
  } else {
    in[0] = static_cast<wchar_t>(c);
  }
  wchar_t out[4];
  const int made = ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, in, n, out, 4,
                                   nullptr, nullptr, 0);
  if (made == 1) return static_cast<std::uint16_t>(out[0]);
  if (made == 2 && n == 2) {
    return 0x10000 + ((static_cast<char32_t>(out[0]) - 0xD800) << 10) +
           (static_cast<char32_t>(out[1]) - 0xDC00);
  }
  return c;  // no upper case of one character
}

}  // namespace platform
