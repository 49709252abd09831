#include "settings/leer_fichero_ini.h"

#include "platform/text.h"

namespace settings {

std::string LeerFicheroIni(platform::Profile& profile, std::string_view FicheroIni,
                           std::string_view Seccion, std::string_view Valor) {
  const std::string value =
      profile.privateProfileString(Seccion, Valor, "", kLongitudBuffer, FicheroIni);
  return platform::trimTrailingBlanks(value);
}

}  // namespace settings
