#include "platform/posix_error.h"

#include <cerrno>
#include <system_error>

#include "jet/io/file.h"

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

RunError posixError(const jet::Error& error, const std::filesystem::path& path) {
  return posixError(static_cast<int>(error.systemCode()), path);
}

void flushFolder(const std::filesystem::path& folder) { (void)jet::File::syncFolder(folder); }

}  // namespace platform
