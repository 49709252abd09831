// One value of a settings (INI) file.
#pragma once

#include <string>
#include <string_view>

#include "platform/profile.h"

namespace settings {

// The room the profile function is given: 250 characters with the
// terminator, so a longer value arrives cut to 249.
inline constexpr std::size_t kLongitudBuffer = 250;

// The value of key `Valor` in section `Seccion` of the settings file
// `FicheroIni`, without trailing blanks; "" when the file, the section or
// the key is missing.
std::string LeerFicheroIni(platform::Profile& profile, std::string_view FicheroIni,
                           std::string_view Seccion, std::string_view Valor);

}  // namespace settings
