// The scratch file of an external sort, on POSIX systems.
#include <cerrno>
#include <fcntl.h>
#include <random>
#include <string>
#include <unistd.h>

#include "jet/io/output_file.h"
#include "jet/io/write_fully.h"

namespace jet {

namespace fs = std::filesystem;

Result<ScratchFile> ScratchFile::create(const fs::path& folder) {
  int fd = ::open(folder.c_str(), O_RDWR | O_TMPFILE | O_EXCL | O_CLOEXEC, 0600);
  if (fd >= 0) return ScratchFile(fd);
  // No unnamed files here: a name that is removed at once.
  std::random_device random;
  for (int attempt = 0; attempt < 32; ++attempt) {
    fs::path name = folder / ("~jetdb-sort." + std::to_string(random() % 1000000000u) + ".tmp");
    fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
      ::unlink(name.c_str());
      return ScratchFile(fd);
    }
    if (errno != EEXIST) return Error::fromErrno(errno, folder.string());
  }
  return Error(errc::kIoError, folder.string());
}

ScratchFile::~ScratchFile() {
  if (fd_ >= 0) ::close(fd_);
}

ScratchFile& ScratchFile::operator=(ScratchFile&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

Status ScratchFile::writeAt(std::uint64_t offset, std::span<const std::byte> bytes) {
  return writeFully(fd_, offset, bytes, "temporal");
}

Status ScratchFile::readAt(std::uint64_t offset, std::span<std::byte> out) const {
  std::size_t done = 0;
  while (done < out.size()) {
    ssize_t n = ::pread(fd_, out.data() + done, out.size() - done,
                        static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Error::fromErrno(errno, "temporal");
    if (n == 0) return Error(errc::kIoError, "temporal");
    done += static_cast<std::size_t>(n);
  }
  return okStatus();
}

}  // namespace jet
