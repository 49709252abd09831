#include "jet/io/output_file.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace jet {
namespace {

namespace fs = std::filesystem;

fs::path folderOf(const fs::path& file) {
  fs::path folder = file.parent_path();
  return folder.empty() ? fs::path(".") : folder;
}

Status writeAll(int fd, std::uint64_t offset, std::span<const std::byte> bytes,
                const fs::path& name) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done,
                         static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return Error::fromErrno(errno, name.string());
    }
    done += static_cast<std::size_t>(n);
  }
  return okStatus();
}

Status syncFolder(const fs::path& folder) {
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return Error::fromErrno(errno, folder.string());
  int rc = ::fsync(fd);
  int err = errno;
  ::close(fd);
  // Some file systems cannot flush a folder; the rename is then as durable as
  // they make it.
  if (rc != 0 && err != EINVAL && err != EROFS) return Error::fromErrno(err, folder.string());
  return okStatus();
}

// Renames without ever replacing `to`: EEXIST when it exists.
int renameNoReplace(const fs::path& from, const fs::path& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return errno;
  // The file system cannot rename without replacing: a hard link is created
  // only where no name exists, and then the temporary name goes.
  if (::link(from.c_str(), to.c_str()) == 0) {
    ::unlink(from.c_str());
    return 0;
  }
  if (errno != EPERM && errno != ENOTSUP) return errno;
  // Neither (FAT): test, then rename.
  struct stat st {};
  if (::stat(to.c_str(), &st) == 0) return EEXIST;
  return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

}  // namespace

Result<OutputFile> OutputFile::create(const fs::path& destination) {
  std::error_code ec;
  if (fs::exists(fs::symlink_status(destination, ec))) {
    return Error::alreadyExists(destination.string());
  }
  const fs::path folder = folderOf(destination);
  if (!fs::is_directory(folder, ec)) return Error::notFound(folder.string());
  std::random_device random;
  for (int attempt = 0; attempt < 32; ++attempt) {
    fs::path temporary = folder / ("~" + destination.filename().string() + "." +
                                   std::to_string(random() % 1000000000u) + ".tmp");
    int fd = ::open(temporary.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0) {
      OutputFile file;
      file.fd_ = fd;
      file.temporary_ = std::move(temporary);
      file.destination_ = destination;
      return file;
    }
    if (errno != EEXIST) return Error::fromErrno(errno, folder.string());
  }
  return Error(errc::kIoError, folder.string());
}

OutputFile::~OutputFile() { discard(); }

OutputFile::OutputFile(OutputFile&& other) noexcept
    : fd_(other.fd_), unflushed_(other.unflushed_), temporary_(std::move(other.temporary_)),
      destination_(std::move(other.destination_)) {
  other.fd_ = -1;
  other.temporary_.clear();
}

OutputFile& OutputFile::operator=(OutputFile&& other) noexcept {
  if (this != &other) {
    discard();
    fd_ = other.fd_;
    unflushed_ = other.unflushed_;
    temporary_ = std::move(other.temporary_);
    destination_ = std::move(other.destination_);
    other.fd_ = -1;
    other.temporary_.clear();
  }
  return *this;
}

void OutputFile::discard() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  temporary_.clear();
}

Status OutputFile::writeAt(std::uint64_t offset, std::span<const std::byte> bytes) {
  if (fd_ < 0) return Error(errc::kInvalidArgument);
  JET_CHECK(writeAll(fd_, offset, bytes, destination_));
  unflushed_ += bytes.size();
  if (unflushed_ >= kWritebackStep) {
    unflushed_ = 0;
#ifdef __linux__
    // Only a start: errors, if any, come from the flush in commit().
    ::sync_file_range(fd_, 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
  }
  return okStatus();
}

Status OutputFile::commit() {
  if (fd_ < 0) return Error(errc::kInvalidArgument);
  if (::fsync(fd_) != 0) {
    Error e = Error::fromErrno(errno, destination_.string());
    discard();
    return e;
  }
  ::close(fd_);
  fd_ = -1;
  if (int err = renameNoReplace(temporary_, destination_); err != 0) {
    Error e = Error::fromErrno(err, destination_.string());
    discard();
    return e;
  }
  temporary_.clear();
  return syncFolder(folderOf(destination_));
}

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
  return writeAll(fd_, offset, bytes, "temporal");
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
