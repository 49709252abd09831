// Windows error codes meet the engine's numbers here, and only here.
#include <windows.h>

#include "jet/core/error.h"

namespace jet {

Error Error::fromWindowsError(unsigned long code, std::string_view path,
                              std::source_location where) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_DIRECTORY:
      return Error(errc::kNotFound, path, where);
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_NETWORK_ACCESS_DENIED:
      return Error(errc::kNoPermission, path, where);
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return Error(errc::kAlreadyExists, path, where);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return Error(errc::kDiskFull, path, where);
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_BUSY:
      return Error(errc::kInUse, path, where);
    default:
      return Error(errc::kIoError, path, where);
  }
}

}  // namespace jet
