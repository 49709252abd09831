// A settings reader that answers one value and remembers the room it was
// given (where the value is read from: the end-to-end test, over a real file).
#pragma once

#include <string>

#include "platform/profile.h"
#include "platform/text.h"

namespace testing_support {

class FakeProfile : public platform::Profile {
 public:
  std::string value;  // "" plays a missing file, section or key
  std::size_t askedSize = 0;

  std::string privateProfileString(std::string_view, std::string_view,
                                   std::string_view fallback, std::size_t size,
                                   std::string_view) override {
    askedSize = size;
    return platform::utf16Prefix(value.empty() ? std::string(fallback) : value, size - 1);
  }
};

}  // namespace testing_support
