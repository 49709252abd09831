// Another program's hold on a database on Windows, as Access takes it: the
// file open for reading and writing, shared for reading and writing, and a
// byte of Jet's lock range locked.
#include "tests/support/foreign_lock.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>

namespace testing_support {

constexpr DWORD kLockedByte = 0x10000000;

ForeignLock::ForeignLock(const std::filesystem::path& database) {
  HANDLE h = ::CreateFileW(database.c_str(), GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  fd_ = ::_open_osfhandle(reinterpret_cast<intptr_t>(h), _O_RDWR);
  if (fd_ < 0) {
    ::CloseHandle(h);
    return;
  }
  OVERLAPPED at{};
  at.Offset = kLockedByte;
  held_ = ::LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at);
}

ForeignLock::~ForeignLock() { release(); }

void ForeignLock::release() {
  if (fd_ >= 0) ::_close(fd_);  // closing gives the lock back
  fd_ = -1;
  held_ = false;
}

}  // namespace testing_support
