#include "storage/longitud_fichero.h"

#include <limits>

namespace storage {

platform::RunResult<std::int32_t> LongitudFichero(platform::Files& fs, std::string_view Fichero) {
  platform::RunResult<std::int64_t> length = fs.fileLength(Fichero);
  if (!length) return length.error();
  if (*length > std::numeric_limits<std::int32_t>::max()) {
    return platform::RunError::numbered(platform::errnum::kOverflow);
  }
  return static_cast<std::int32_t>(*length);
}

}  // namespace storage
