#include <string_view>

#include "platform/run_status.h"

namespace platform {
namespace {

struct Entry {
  int number;
  std::string_view text;
};

// The run-time error texts of a Spanish Windows, for the numbers our file
// operations and queries can give.
constexpr Entry kTexts[] = {
    {5, "Argumento o llamada a procedimiento no válida"},
    {errnum::kOverflow, "Desbordamiento"},
    {7, "Memoria insuficiente"},
    {errnum::kBadFileName, "Nombre o número de archivo incorrecto"},
    {errnum::kFileNotFound, "No se encontró el archivo"},
    {55, "El archivo ya está abierto"},
    {errnum::kIoError, "Error de E/S de dispositivo"},
    {errnum::kFileExists, "El archivo ya existe"},
    {errnum::kDiskFull, "Disco lleno"},
    {errnum::kTooManyFiles, "Demasiados archivos"},
    {errnum::kDeviceUnavailable, "Dispositivo no disponible"},
    {errnum::kPermissionDenied, "Permiso denegado"},
    {71, "El disco no está listo"},
    {74, "No se puede cambiar el nombre con una unidad de disco diferente"},
    {errnum::kPathFileAccess, "Error de acceso a la ruta o el archivo"},
    {errnum::kPathNotFound, "No se encontró la ruta de acceso"},
};

}  // namespace

std::string runErrorText(int number) {
  for (const Entry& e : kTexts) {
    if (e.number == number) return std::string(e.text);
  }
  return "Error definido por la aplicación o el objeto";
}

}  // namespace platform
