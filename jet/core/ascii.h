// Comparing names as Jet does: ASCII letters without regard to case, every
// other byte as it is.
#pragma once

#include <algorithm>
#include <cctype>
#include <string_view>

namespace jet {

inline bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
           return (x < 0x80 ? std::tolower(x) : x) == (y < 0x80 ? std::tolower(y) : y);
         });
}

}  // namespace jet
