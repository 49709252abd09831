#include "tests/support/foreign_lock.h"

#include <fcntl.h>
#include <unistd.h>

namespace testing_support {

// A byte in the range Jet locks while a database is open; any lock other
// than the engine's own private byte counts (jet/io/file_lock.h).
constexpr off_t kLockedByte = 0x10000000;

ForeignLock::ForeignLock(const std::filesystem::path& database) {
  fd_ = ::open(database.c_str(), O_RDWR | O_CLOEXEC);
  if (fd_ < 0) return;
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = kLockedByte;
  lock.l_len = 1;
  held_ = ::fcntl(fd_, F_OFD_SETLK, &lock) == 0;
}

ForeignLock::~ForeignLock() { release(); }

void ForeignLock::release() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  held_ = false;
}

}  // namespace testing_support
