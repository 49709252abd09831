// Writing a whole buffer to a POSIX file descriptor at an offset.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "jet/core/result.h"

namespace jet {

// Writes every byte of `bytes` at `offset` of `fd`, however many pwrite calls
// that takes (interrupted calls are retried). `name` names the file in errors.
Status writeFully(int fd, std::uint64_t offset, std::span<const std::byte> bytes,
                  const std::string& name);

}  // namespace jet
