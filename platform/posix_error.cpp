#include "platform/posix_error.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace platform {

RunError posixError(int err, const std::filesystem::path& path) {
  switch (err) {
    case ENOENT: {
      std::error_code ec;
      const bool folder = std::filesystem::is_directory(path.parent_path(), ec);
      return RunError::numbered(folder ? errnum::kFileNotFound : errnum::kPathNotFound);
    }
    case ENOTDIR:
      return RunError::numbered(errnum::kPathNotFound);
    case EEXIST:
    case ENOTEMPTY:
      return RunError::numbered(errnum::kFileExists);
    case EACCES:
    case EPERM:
    case EROFS:
      return RunError::numbered(errnum::kPermissionDenied);
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return RunError::numbered(errnum::kDiskFull);
    case ENAMETOOLONG:
    case EILSEQ:
      return RunError::numbered(errnum::kBadFileName);
    case EMFILE:
    case ENFILE:
      return RunError::numbered(errnum::kTooManyFiles);
    case EIO:
      return RunError::numbered(errnum::kIoError);
    default:
      return RunError::numbered(errnum::kPathFileAccess);
  }
}

void flushFolder(const std::filesystem::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace platform
