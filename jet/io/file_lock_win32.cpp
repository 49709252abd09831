// Who else is using a database file, on Windows.
//
// Here the share mode of our own open is the lock (file_win32.cpp): a
// conflicting open by anyone, in this process or another, fails with a
// sharing violation (3000) before these functions are reached. What is left
// to see are byte-range locks (LockFileEx) that others hold on the database,
// and a lock file that a running program keeps open: Jet opens its .ldb for
// as long as the database is open, so an .ldb that cannot be opened alone is
// in use, while one nobody holds is a leftover.
#include <windows.h>
#include <io.h>

#include "jet/io/file_lock.h"
#include "jet/io/path_text.h"

namespace jet {
namespace {

HANDLE handleOf(const File& file) {
  return reinterpret_cast<HANDLE>(::_get_osfhandle(file.descriptor()));
}

}  // namespace

Result<bool> foreignLockHeld(const File& file) {
  // An exclusive lock over every byte, taken and given back at once, is
  // refused iff someone holds a lock on some byte.
  OVERLAPPED from{};
  if (::LockFileEx(handleOf(file), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0,
                   MAXDWORD, MAXDWORD, &from)) {
    ::UnlockFileEx(handleOf(file), 0, MAXDWORD, MAXDWORD, &from);
    return false;
  }
  const DWORD err = ::GetLastError();
  if (err == ERROR_LOCK_VIOLATION || err == ERROR_IO_PENDING) return true;
  return Error::fromWindowsError(err, utf8Of(file.path()));
}

Result<bool> lockFileHeld(const std::filesystem::path& ldb) {
  HANDLE h = ::CreateFileW(ldb.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    ::CloseHandle(h);
    return false;
  }
  // One we may not open cannot be probed, and does not stop a read either.
  return ::GetLastError() == ERROR_SHARING_VIOLATION;
}

Result<OperationLock> OperationLock::acquire(const File& file, Kind /*kind*/) {
  // The open's share mode already keeps out whatever would conflict.
  return OperationLock(file.descriptor());
}

void OperationLock::release() { fd_ = -1; }

}  // namespace jet
