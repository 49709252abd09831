// The settings file of a Windows name read on Linux, with the rules of
// profile_reader.h.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/drive_map.h"
#include "platform/profile.h"

namespace platform {

class LinuxProfile : public Profile {
 public:
  // Settings files larger than this are taken as missing: no settings file
  // is that large, and reading it whole would be unwise.
  static constexpr std::size_t kMaxFileSize = 16u << 20;

  // `drives` resolves the file's Windows name; it must outlive this object.
  explicit LinuxProfile(const DriveMap& drives) : drives_(drives) {}

  std::string privateProfileString(std::string_view section, std::string_view key,
                                   std::string_view fallback, std::size_t size,
                                   std::string_view file) override;

 private:
  const DriveMap& drives_;
};

}  // namespace platform
