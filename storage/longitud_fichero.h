// The length of a file, as the window offers it.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/files.h"

namespace storage {

// Opens `Fichero` for reading and gives its length in bytes. A missing or
// unreadable file is the caller's error (53, 70, 75, 76, ...); a file longer
// than a signed 32-bit length can say is 6 (overflow), never a wrong length.
platform::RunResult<std::int32_t> LongitudFichero(platform::Files& fs, std::string_view Fichero);

}  // namespace storage
