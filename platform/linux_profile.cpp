#include "platform/linux_profile.h"

#include <fstream>
#include <iterator>
#include <system_error>

#include "platform/profile_reader.h"
#include "platform/text.h"

namespace platform {

std::string LinuxProfile::privateProfileString(std::string_view section, std::string_view key,
                                               std::string_view fallback, std::size_t size,
                                               std::string_view file) {
  const std::size_t room = size == 0 ? 0 : size - 1;
  std::string value(fallback);
  if (RunResult<std::filesystem::path> path = drives_.resolve(file)) {
    std::error_code ec;
    const auto length = std::filesystem::file_size(*path, ec);
    if (!ec && std::filesystem::is_regular_file(*path, ec) && length <= kMaxFileSize) {
      std::ifstream in(*path, std::ios::binary);
      const std::string bytes((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
      if (in.good() || in.eof()) {
        if (auto found = findProfileValue(decodeProfileBytes(bytes), section, key)) {
          value = std::move(*found);
        }
      }
    }
  }
  return utf16Prefix(value, room);
}

}  // namespace platform
