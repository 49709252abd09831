// Reading one value of a settings (INI) file, as the Windows profile
// function does.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

class Profile {
 public:
  virtual ~Profile() = default;
  // The value of `key` in `section` of the settings file `file`, or
  // `fallback` when the file, the section or the key is missing; cut to
  // `size` - 1 characters (UTF-16 units), as a buffer of `size` characters
  // with its terminator holds it.
  virtual std::string privateProfileString(std::string_view section, std::string_view key,
                                           std::string_view fallback, std::size_t size,
                                           std::string_view file) = 0;
};

}  // namespace platform
