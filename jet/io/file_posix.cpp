// The system calls of a File on POSIX systems.
#include <cerrno>
#include <fcntl.h>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "jet/io/file.h"

namespace jet {

namespace fs = std::filesystem;

namespace {

int openRetrying(const char* name, int flags, mode_t permissions = 0) {
  int fd;
  do {
    fd = ::open(name, flags | O_CLOEXEC, permissions);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

}  // namespace

Result<File> File::open(const fs::path& path, Mode mode) {
  int flags = O_RDONLY;
  if (mode == Mode::kReadWrite) flags = O_RDWR;
  if (mode == Mode::kLock) flags = O_RDONLY | O_CREAT | O_NOFOLLOW;
  const int fd = openRetrying(path.c_str(), flags, 0666);
  if (fd < 0) return Error::fromErrno(errno, path.string());
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    return Error::notADatabase(path.string()).withSystemCode(EISDIR);
  }
  return File(fd, mode, path);
}

bool File::newFilesReadableWhileOpen() { return true; }

Result<File> File::createNew(const fs::path& path) {
  const int fd = openRetrying(path.c_str(), O_RDWR | O_CREAT | O_EXCL, 0666);
  if (fd < 0) return Error::fromErrno(errno, path.string());
  return File(fd, Mode::kReadWrite, path);
}

Result<File> File::createScratch(const fs::path& folder) {
  int fd = openRetrying(folder.c_str(), O_RDWR | O_TMPFILE | O_EXCL, 0600);
  if (fd >= 0) return File(fd, Mode::kReadWrite, "temporal");
  // No unnamed files here: a name that is removed at once.
  std::random_device random;
  for (int attempt = 0; attempt < 32; ++attempt) {
    fs::path name = folder / ("~jetdb-sort." + std::to_string(random() % 1000000000u) + ".tmp");
    fd = openRetrying(name.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
    if (fd >= 0) {
      ::unlink(name.c_str());
      return File(fd, Mode::kReadWrite, "temporal");
    }
    if (errno != EEXIST) return Error::fromErrno(errno, folder.string());
  }
  return Error(errc::kIoError, folder.string());
}

Status File::syncFolder(const fs::path& folder) {
  const int fd = openRetrying(folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return Error::fromErrno(errno, folder.string());
  const int rc = ::fsync(fd);
  const int err = errno;
  ::close(fd);
  // Some file systems cannot flush a folder (EINVAL); their renames are as
  // durable as they will ever be.
  if (rc != 0 && err != EINVAL) return Error::fromErrno(err, folder.string());
  return okStatus();
}

Result<std::uint64_t> File::size() const {
  struct stat st {};
  if (::fstat(fd_, &st) != 0) return Error::fromErrno(errno, path_.string());
  return static_cast<std::uint64_t>(st.st_size);
}

Result<std::size_t> File::readSome(std::uint64_t offset, std::span<std::byte> out) const {
  for (;;) {
    const ssize_t n = ::pread(fd_, out.data(), out.size(), static_cast<off_t>(offset));
    if (n >= 0) return static_cast<std::size_t>(n);
    if (errno != EINTR) return Error::fromErrno(errno, path_.string());
  }
}

Result<std::size_t> File::writeSome(std::uint64_t offset, std::span<const std::byte> bytes) {
  for (;;) {
    const ssize_t n = ::pwrite(fd_, bytes.data(), bytes.size(), static_cast<off_t>(offset));
    if (n >= 0) return static_cast<std::size_t>(n);
    if (errno != EINTR) return Error::fromErrno(errno, path_.string());
  }
}

void File::startWriteback() {
#ifdef __linux__
  if (fd_ >= 0) ::sync_file_range(fd_, 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
}

Status File::sync() {
  if (fd_ < 0) return failure(errc::kIoError);
  if (::fsync(fd_) != 0) return Error::fromErrno(errno, path_.string());
  return okStatus();
}

Status File::closeDescriptor(int fd) const {
  // close() may report a deferred write error (NFS); it is not retried on
  // EINTR because the descriptor is gone either way.
  if (::close(fd) != 0 && errno != EINTR) return Error::fromErrno(errno, path_.string());
  return okStatus();
}

}  // namespace jet
