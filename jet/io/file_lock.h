// Who else is using a database file, and our own lock on it.
//
// A program that has an Access database open holds advisory byte-range locks
// on the .mdb or on its lock file (same base name, extension .ldb in any letter
// case, in the same folder); Samba and other file servers map their Windows
// clients' locks onto POSIX fcntl locks; other programs take a whole-file
// flock() lock. The engine treats any such lock held by another process as
// "in use" (error 3000).
//
// Our own lock is an open-file-description (OFD) lock on one private byte far
// beyond the end of any Jet file, so that it never hides a foreign lock from
// the probe and two operations in the same process exclude each other too:
// readers share it, writers take it alone. It lasts as long as the
// OperationLock (and never longer than the File it was taken on).
#pragma once

#include <cstdint>
#include <filesystem>

#include "jet/core/result.h"
#include "jet/io/file.h"

namespace jet {

// The byte our own locks cover: beyond the largest Jet 3 file (1 GiB).
inline constexpr std::int64_t kOwnLockOffset = std::int64_t{1} << 62;

// True iff some other lock holder (another process, or another open of the
// file in this process) has an fcntl lock on any byte of `file` other than our
// private byte, or a flock() lock on it.
Result<bool> foreignLockHeld(const File& file);

// The lock file beside `database` (base name + ".ldb", any letter case), or an
// empty path when there is none.
std::filesystem::path findLockFile(const std::filesystem::path& database);

// True iff a program holds the lock file `ldb` open or locked. A lock file
// nobody holds is a leftover of a program that ended.
Result<bool> lockFileHeld(const std::filesystem::path& ldb);

// Fails with 3000 when a foreign lock is held on `file` or on its lock file.
Status checkNotInUse(const File& file);

class OperationLock {
 public:
  enum class Kind { kShared, kExclusive };

  // Takes our lock on `file` for one operation. Fails with 3000 when another
  // operation holds it in a conflicting way. Requires: `file` outlives the lock;
  // kExclusive requires a file opened for writing.
  static Result<OperationLock> acquire(const File& file, Kind kind);

  OperationLock() = default;
  ~OperationLock();
  OperationLock(OperationLock&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  OperationLock& operator=(OperationLock&& other) noexcept;
  OperationLock(const OperationLock&) = delete;
  OperationLock& operator=(const OperationLock&) = delete;

  bool held() const { return fd_ >= 0; }

 private:
  explicit OperationLock(int fd) : fd_(fd) {}
  void release();
  int fd_ = -1;
};

}  // namespace jet
