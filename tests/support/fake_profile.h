// A settings reader that answers one value and remembers how it was asked.
#pragma once

#include <string>

#include "platform/profile.h"
#include "platform/text.h"

namespace testing_support {

class FakeProfile : public platform::Profile {
 public:
  std::string value;  // "" plays a missing file, section or key
  std::string askedSection, askedKey, askedFile;
  std::size_t askedSize = 0;

  std::string privateProfileString(std::string_view section, std::string_view key,
                                   std::string_view fallback, std::size_t size,
                                   std::string_view file) override {
    askedSection = section;
    askedKey = key;
    askedFile = file;
    askedSize = size;
    return platform::utf16Prefix(value.empty() ? std::string(fallback) : value, size - 1);
  }
};

}  // namespace testing_support
