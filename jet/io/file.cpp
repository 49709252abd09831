#include "jet/io/file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace jet {

Result<File> File::open(const std::filesystem::path& path, Mode mode) {
  int flags = (mode == Mode::kRead ? O_RDONLY : O_RDWR) | O_CLOEXEC;
  int fd;
  do {
    fd = ::open(path.c_str(), flags);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return Error::fromErrno(errno, path.string());
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    return Error::notADatabase(path.string());
  }
  return File(fd, mode, path);
}

File::~File() { close(); }

File::File(File&& other) noexcept
    : fd_(other.fd_), mode_(other.mode_), path_(std::move(other.path_)) {
  other.fd_ = -1;
}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    close();
    fd_ = other.fd_;
    mode_ = other.mode_;
    path_ = std::move(other.path_);
    other.fd_ = -1;
  }
  return *this;
}

void File::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

Result<std::uint64_t> File::size() const {
  struct stat st {};
  if (::fstat(fd_, &st) != 0) return Error::fromErrno(errno, path_.string());
  return static_cast<std::uint64_t>(st.st_size);
}

Result<std::size_t> File::readAt(std::uint64_t offset, std::span<std::byte> out) const {
  std::size_t done = 0;
  while (done < out.size()) {
    ssize_t n = ::pread(fd_, out.data() + done, out.size() - done,
                        static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return Error::fromErrno(errno, path_.string());
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

}  // namespace jet
