#include "jet/core/error.h"

#include <cerrno>
#include <string>

namespace jet {
namespace {

struct Entry {
  int number;
  std::string_view text;
};

// One table for every description the engine can give. "|" is replaced by the
// object the error concerns (a file, a table).
constexpr Entry kTexts[] = {
    {errc::kInUse, "La base de datos '|' está en uso por otro proceso."},
    {errc::kInvalidArgument, "Argumento no válido."},
    {errc::kDiskFull, "No hay suficiente espacio en el disco."},
    {errc::kBadPassword, "Contraseña no válida."},
    {errc::kTooLarge, "Se ha superado un límite del formato de la base de datos: |."},
    {errc::kIoError, "Error de disco o de red."},
    {errc::kNotFound, "'|' no es una ruta válida."},
    {errc::kNotDatabase,
     "No se puede abrir la base de datos '|'. Puede que no sea una base de datos "
     "reconocida por la aplicación o que el archivo esté dañado."},
    {errc::kNoPermission,
     "El motor de base de datos no puede abrir el archivo '|'. Ya está abierto en "
     "modo exclusivo por otro usuario o necesita permiso para ver sus datos."},
    {errc::kNoSuchTable, "El motor de base de datos no encuentra la tabla o consulta '|'."},
    {errc::kAlreadyExists, "La base de datos '|' ya existe."},
    {errc::kCorrupt, "Formato de base de datos no reconocido: |."},
    {errc::kDuplicateKey,
     "Los cambios no se realizaron porque crearían valores duplicados en el índice, la clave "
     "principal o la relación: |."},
    {errc::kFieldTooSmall, "El campo es demasiado pequeño para aceptar la cantidad de datos: |."},
    {errc::kNumericOverflow, "Desbordamiento de campo numérico: |."},
    {errc::kCannotRepair, "No se puede reparar esta base de datos: |."},
};

// The Jet number of a failed file operation's errno.
int numberOfErrno(int err) {
  switch (err) {
    case ENOENT:
    case ENOTDIR:
      return errc::kNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
      return errc::kNoPermission;
    case EEXIST:
      return errc::kAlreadyExists;
    case ENOSPC:
#ifdef EDQUOT  // not in every C library (Windows has none)
    case EDQUOT:
#endif
      return errc::kDiskFull;
    case EAGAIN:
    case EBUSY:
    case ETXTBSY:
      return errc::kInUse;
    default:
      return errc::kIoError;
  }
}

// "página 31, fila 0: " / "página 31, " / "" : the place a corrupt error puts
// before its reason.
std::string placeOf(std::int64_t page, std::int64_t row) {
  std::string place;
  if (page < 0) return place;
  place += "página ";
  place += std::to_string(page);
  if (row < 0) return place += ", ";
  place += ", fila ";
  place += std::to_string(row);
  return place += ": ";
}

}  // namespace

std::string_view errorText(int number) {
  for (const Entry& e : kTexts) {
    if (e.number == number) return e.text;
  }
  return "Error definido por la aplicación o por el objeto.";
}

Error::Error(int number, std::string_view subject, std::source_location where)
    : number_(number), description_(errorText(number)), where_(where) {
  if (auto bar = description_.find('|'); bar != std::string::npos) {
    description_.replace(bar, 1, subject);
  }
}

Error Error::inUse(std::string_view path, std::source_location where) {
  return Error(errc::kInUse, path, where);
}
Error Error::notFound(std::string_view path, std::source_location where) {
  return Error(errc::kNotFound, path, where);
}
Error Error::notADatabase(std::string_view path, std::source_location where) {
  return Error(errc::kNotDatabase, path, where);
}
Error Error::alreadyExists(std::string_view path, std::source_location where) {
  return Error(errc::kAlreadyExists, path, where);
}

Error Error::corrupt(std::int64_t page, std::string_view reason, std::source_location where) {
  return corrupt(page, -1, reason, where);
}

Error Error::corrupt(std::int64_t page, std::int64_t row, std::string_view reason,
                     std::source_location where) {
  Error e(errc::kCorrupt, placeOf(page, row).append(reason), where);
  e.page_ = page;
  e.row_ = page >= 0 ? row : -1;
  e.reason_ = reason;
  return e;
}

std::string Error::reasonAt(std::int64_t page, std::int64_t row) const {
  if (reason_.empty()) return description_;
  if (page_ < 0 || (page_ == page && (row_ < 0 || row_ == row))) return reason_;
  if (page_ == page) return "fila " + std::to_string(row_) + ": " + reason_;
  return placeOf(page_, row_) + reason_;
}

Error Error::fromErrno(int err, std::string_view path, std::source_location where) {
  return Error(numberOfErrno(err), path, where).withSystemCode(err);
}

std::string Error::toString() const {
  return std::to_string(number_) + ": " + description_;
}

}  // namespace jet
