// The database name the window proposes at start: the data folder of the
// main application (from its settings) and "KELxx.MDB", with the
// placeholder "xx" for the user to complete.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace settings {

// `carpeta` in upper case, ending with exactly one separator, then
// "KELxx.MDB"; nothing for an empty folder. A folder already ending in "\"
// or "/" (both separate folders) gets no other.
std::optional<std::string> nombrePorDefecto(std::string_view carpeta);

struct Seleccion {
  int inicio = 0;    // 0-based, in characters (UTF-16 units)
  int longitud = 0;
};

// The selection that marks the placeholder in `texto`: p, the 1-based
// position of the first "xx" (letter case counts), taken as a 0-based start,
// and a length of 1, which covers the second "x" only. Nothing when there is
// no "xx".
std::optional<Seleccion> seleccionMarcador(std::string_view texto);

}  // namespace settings
