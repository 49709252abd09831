#include "jet/io/file_system.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "jet/io/write_fully.h"

namespace jet {
namespace {

class PosixWritableFile final : public WritableFile {
 public:
  PosixWritableFile(int fd, std::filesystem::path path) : fd_(fd), path_(std::move(path)) {}
  ~PosixWritableFile() override { (void)close(); }

  Status writeAt(std::uint64_t offset, std::span<const std::byte> bytes) override {
    if (fd_ < 0) return Error(errc::kIoError, path_.string());
    return writeFully(fd_, offset, bytes, path_.string());
  }

  void startWriteback() override {
#ifdef __linux__
    if (fd_ >= 0) ::sync_file_range(fd_, 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
  }

  Status sync() override {
    if (fd_ < 0) return Error(errc::kIoError, path_.string());
    if (::fsync(fd_) != 0) return Error::fromErrno(errno, path_.string());
    return okStatus();
  }

  Status close() override {
    if (fd_ < 0) return okStatus();
    const int fd = fd_;
    fd_ = -1;
    // close() may report a deferred write error (NFS); it is not retried on
    // EINTR because the descriptor is gone either way.
    if (::close(fd) != 0 && errno != EINTR) return Error::fromErrno(errno, path_.string());
    return okStatus();
  }

 private:
  int fd_;
  std::filesystem::path path_;
};

class PosixFileSystem final : public FileSystem {
 public:
  Result<std::unique_ptr<WritableFile>> createNew(const std::filesystem::path& path) override {
    int fd;
    do {
      fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return Error::fromErrno(errno, path.string());
    return std::unique_ptr<WritableFile>(std::make_unique<PosixWritableFile>(fd, path));
  }

  Status copyPermissions(const std::filesystem::path& model,
                         const std::filesystem::path& target) override {
    struct stat st {};
    if (::stat(model.c_str(), &st) != 0) return Error::fromErrno(errno, model.string());
    if (::chmod(target.c_str(), st.st_mode & 07777) != 0) {
      return Error::fromErrno(errno, target.string());
    }
    return okStatus();
  }

  Status link(const std::filesystem::path& existing, const std::filesystem::path& alias) override {
    if (::link(existing.c_str(), alias.c_str()) != 0) return Error::fromErrno(errno, alias.string());
    return okStatus();
  }

  Status replace(const std::filesystem::path& from, const std::filesystem::path& to) override {
    if (::rename(from.c_str(), to.c_str()) != 0) return Error::fromErrno(errno, to.string());
    return okStatus();
  }

  Status remove(const std::filesystem::path& path) override {
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
      return Error::fromErrno(errno, path.string());
    }
    return okStatus();
  }

  Status syncFolder(const std::filesystem::path& folder) override {
    int fd;
    do {
      fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return Error::fromErrno(errno, folder.string());
    const int rc = ::fsync(fd);
    const int err = errno;
    ::close(fd);
    // Some file systems cannot flush a folder (EINVAL); their renames are as
    // durable as they will ever be.
    if (rc != 0 && err != EINVAL) return Error::fromErrno(err, folder.string());
    return okStatus();
  }

  Result<bool> exists(const std::filesystem::path& path) override {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0) return true;
    if (errno == ENOENT || errno == ENOTDIR) return false;
    return Error::fromErrno(errno, path.string());
  }
};

}  // namespace

FileSystem& localFileSystem() {
  static PosixFileSystem fs;
  return fs;
}

std::filesystem::path folderOf(const std::filesystem::path& file) {
  std::filesystem::path folder = file.parent_path();
  return folder.empty() ? std::filesystem::path(".") : folder;
}

}  // namespace jet
