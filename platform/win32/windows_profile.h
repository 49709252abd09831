// Settings files read by Windows itself: GetPrivateProfileStringA, as the
// main application reads them, with every string converted to the ANSI code
// page on the way in and back to UTF-8 on the way out.
#pragma once

#include "platform/profile.h"

namespace platform {

class WindowsProfile : public Profile {
 public:
  std::string privateProfileString(std::string_view section, std::string_view key,
                                   std::string_view fallback, std::size_t size,
                                   std::string_view file) override;
};

}  // namespace platform
