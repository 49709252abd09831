#include "platform/win32/windows_error.h"

#include <windows.h>

namespace platform {

RunError windowsError(unsigned long code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
      return RunError::numbered(errnum::kFileNotFound);
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_DIRECTORY:
      return RunError::numbered(errnum::kPathNotFound);
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return RunError::numbered(errnum::kFileExists);
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
    case ERROR_NETWORK_ACCESS_DENIED:
      return RunError::numbered(errnum::kPermissionDenied);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return RunError::numbered(errnum::kDiskFull);
    case ERROR_INVALID_DRIVE:
    case ERROR_DEV_NOT_EXIST:
      return RunError::numbered(errnum::kDeviceUnavailable);
    case ERROR_NOT_READY:
      return RunError::numbered(71);
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
      return RunError::numbered(errnum::kBadFileName);
    case ERROR_NOT_SAME_DEVICE:
      return RunError::numbered(74);
    case ERROR_TOO_MANY_OPEN_FILES:
      return RunError::numbered(errnum::kTooManyFiles);
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_GEN_FAILURE:
      return RunError::numbered(errnum::kIoError);
    default:
      return RunError::numbered(errnum::kPathFileAccess);
  }
}

}  // namespace platform
