#include "platform/win32/windows_error.h"

#include <windows.h>

namespace platform {

Error windowsError(unsigned long code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
      return Error::numbered(errnum::kFileNotFound);
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_DIRECTORY:
      return Error::numbered(errnum::kPathNotFound);
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return Error::numbered(errnum::kFileExists);
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
    case ERROR_NETWORK_ACCESS_DENIED:
      return Error::numbered(errnum::kPermissionDenied);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return Error::numbered(errnum::kDiskFull);
    case ERROR_INVALID_DRIVE:
    case ERROR_DEV_NOT_EXIST:
      return Error::numbered(errnum::kDeviceUnavailable);
    case ERROR_NOT_READY:
      return Error::numbered(71);
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
      return Error::numbered(errnum::kBadFileName);
    case ERROR_NOT_SAME_DEVICE:
      return Error::numbered(74);
    case ERROR_TOO_MANY_OPEN_FILES:
      return Error::numbered(errnum::kTooManyFiles);
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_GEN_FAILURE:
      return Error::numbered(errnum::kIoError);
    default:
      return Error::numbered(errnum::kPathFileAccess);
  }
}

}  // namespace platform
