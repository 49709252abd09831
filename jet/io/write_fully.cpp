#include "jet/io/write_fully.h"

#include <cerrno>
#include <unistd.h>

#include "jet/core/error.h"

namespace jet {

Status writeFully(int fd, std::uint64_t offset, std::span<const std::byte> bytes,
                  const std::string& name) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done,
                               static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return Error::fromErrno(errno, name);
    }
    done += static_cast<std::size_t>(n);
  }
  return okStatus();
}

}  // namespace jet
