#include "storage/longitud_fichero.h"

#include <limits>

namespace storage {

platform::Result<std::int32_t> LongitudFichero(platform::FileSystem& fs, std::string_view Fichero) {
  platform::Result<std::int64_t> length = fs.fileLength(Fichero);
  if (!length) return length.error();
  if (*length > std::numeric_limits<std::int32_t>::max()) {
    return platform::Error::numbered(platform::errnum::kOverflow);
  }
  return static_cast<std::int32_t>(*length);
}

}  // namespace storage
