#include "settings/nombre_por_defecto.h"

#include "platform/text.h"
#include "platform/textos.h"

namespace settings {

std::optional<std::string> nombrePorDefecto(std::string_view carpeta) {
  if (carpeta.empty()) return std::nullopt;
  std::string texto = platform::upperCase(carpeta);
  if (texto.back() != '\\' && texto.back() != '/') texto += '\\';
  return texto + std::string(textos::kFicheroPorDefecto);
}

std::optional<Seleccion> seleccionMarcador(std::string_view texto) {
  const auto at = texto.find(textos::kMarcador);
  if (at == std::string_view::npos) return std::nullopt;
  const int p = static_cast<int>(platform::utf16Length(texto.substr(0, at))) + 1;
  return Seleccion{p, 1};
}

}  // namespace settings
