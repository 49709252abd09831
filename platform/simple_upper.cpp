#include "platform/simple_upper.h"

#include <unicode/uchar.h>

namespace platform {

char32_t simpleUpperCase(char32_t c) {
  return static_cast<char32_t>(u_toupper(static_cast<UChar32>(c)));
}

}  // namespace platform
