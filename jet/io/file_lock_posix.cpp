// How locks are seen and taken on POSIX systems: fcntl and flock.
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "jet/io/file_lock.h"

namespace jet {
namespace {

// Asks whether a write lock on [start, start + length) would conflict with a
// lock held through another open file description (length 0: to the end).
Result<bool> conflictOn(const File& file, std::int64_t start, std::int64_t length) {
  struct flock probe {};
  probe.l_type = F_WRLCK;
  probe.l_whence = SEEK_SET;
  probe.l_start = static_cast<off_t>(start);
  probe.l_len = static_cast<off_t>(length);
  probe.l_pid = 0;  // required by F_OFD_GETLK
  if (::fcntl(file.descriptor(), F_OFD_GETLK, &probe) != 0) {
    return Error::fromErrno(errno, file.path().string());
  }
  return probe.l_type != F_UNLCK;
}

// Asks whether another open file description holds a flock() lock on the
// file: a non-blocking exclusive flock fails then. When it succeeds it is
// given back at once (we hold none: flock has no bytes to keep ours apart).
// Another operation of ours probing at the same instant holds it for
// microseconds: a refusal is believed only when it lasts.
Result<bool> flockHeld(const File& file) {
  constexpr int kTries = 5;
  for (int attempt = 0; attempt < kTries; ++attempt) {
    if (::flock(file.descriptor(), LOCK_EX | LOCK_NB) == 0) {
      ::flock(file.descriptor(), LOCK_UN);
      return false;
    }
    const int err = errno;
    // File systems without flock (some network ones) have none to find.
    if (err == ENOLCK || err == EOPNOTSUPP || err == EINVAL) return false;
    if (err != EWOULDBLOCK) return Error::fromErrno(err, file.path().string());
    ::usleep(2000);
  }
  return true;
}

}  // namespace

Result<bool> foreignLockHeld(const File& file) {
  JET_TRY(bool below, conflictOn(file, 0, kOwnLockOffset));
  if (below) return true;
  JET_TRY(bool above, conflictOn(file, kOwnLockOffset + 1, 0));
  if (above) return true;
  return flockHeld(file);
}

Result<bool> lockFileHeld(const std::filesystem::path& ldb) {
  // One we may not open cannot be probed, and does not stop a read either.
  Result<File> lockFile = File::open(ldb, File::Mode::kRead);
  if (!lockFile) return false;
  return foreignLockHeld(*lockFile);
}

Result<OperationLock> OperationLock::acquire(const File& file, Kind kind) {
  struct flock lock {};
  lock.l_type = kind == Kind::kShared ? F_RDLCK : F_WRLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = static_cast<off_t>(kOwnLockOffset);
  lock.l_len = 1;
  lock.l_pid = 0;
  if (::fcntl(file.descriptor(), F_OFD_SETLK, &lock) != 0) {
    int err = errno;
    if (err == EAGAIN || err == EACCES) return Error::inUse(file.path().string());
    return Error::fromErrno(err, file.path().string());
  }
  return OperationLock(file.descriptor());
}

void OperationLock::release() {
  if (fd_ < 0) return;
  struct flock lock {};
  lock.l_type = F_UNLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = static_cast<off_t>(kOwnLockOffset);
  lock.l_len = 1;
  lock.l_pid = 0;
  ::fcntl(fd_, F_OFD_SETLK, &lock);
  fd_ = -1;
}

}  // namespace jet
