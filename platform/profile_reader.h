// Settings files read the way Windows' profile function reads them.
//
//   ; a comment line
//   [General]
//   PathDatosKEL = C:\KEL\DATOS
//
// Section and key names are compared without regard to letter case; blanks
// and tabs around names and values are ignored; a value enclosed in a pair of
// matching quotes loses them; the first matching key of the file wins; lines
// without "=" are keys with an empty value. The file is UTF-8 when its bytes
// are valid UTF-8 (a leading byte-order mark is dropped), code page 1252
// otherwise.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/drive_map.h"
#include "platform/profile.h"

namespace platform {

// The value of `key` in `section` of the settings text `text` (UTF-8), or
// nothing when the section or the key is missing.
std::optional<std::string> findProfileValue(std::string_view text, std::string_view section,
                                            std::string_view key);

// The settings file's bytes as UTF-8, following the rule above.
std::string decodeProfileBytes(std::string_view bytes);

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
