// Windows error codes meet the engine's numbers here, and only here.
#include <windows.h>

#include "jet/core/error.h"

namespace jet {

namespace {

int numberOfWindowsError(unsigned long code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_DIRECTORY:
      return errc::kNotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_NETWORK_ACCESS_DENIED:
      return errc::kNoPermission;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return errc::kAlreadyExists;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return errc::kDiskFull;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_BUSY:
      return errc::kInUse;
    default:
      return errc::kIoError;
  }
}

}  // namespace

Error Error::fromWindowsError(unsigned long code, std::string_view path,
                              std::source_location where) {
  return Error(numberOfWindowsError(code), path, where).withSystemCode(static_cast<long>(code));
}

}  // namespace jet
