#include "platform/file_move.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/file_handle.h"
#include "platform/posix_error.h"

namespace fs = std::filesystem;

namespace platform {
namespace {

// rename(2) that refuses to replace `to`. File systems without
// RENAME_NOREPLACE get a look first, then a plain rename.
int renameNoReplace(const fs::path& from, const fs::path& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return -1;
  struct stat st;
  if (::lstat(to.c_str(), &st) == 0) {
    errno = EEXIST;
    return -1;
  }
  return ::rename(from.c_str(), to.c_str());
}

bool writeAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// Copies the bytes of `in` to `out` and flushes `out`; errno tells why not.
bool copyAndFlush(int in, int out) {
  std::vector<char> buffer(1 << 20);
  for (;;) {
    const ssize_t n = ::read(in, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;
    if (!writeAll(out, buffer.data(), static_cast<std::size_t>(n))) return false;
  }
  return ::fsync(out) == 0;
}

}  // namespace

RunStatus moveFile(const fs::path& from, const fs::path& to) {
  if (renameNoReplace(from, to) != 0) {
    if (errno == EXDEV) return moveAcrossFileSystems(from, to);
    const int err = errno;
    // A missing name is the source's fault unless the source is there.
    struct stat st;
    const bool targetsFault = err == EEXIST || (err == ENOENT && ::lstat(from.c_str(), &st) == 0);
    return posixError(err, targetsFault ? to : from);
  }
  flushFolder(to.parent_path());
  if (from.parent_path() != to.parent_path()) flushFolder(from.parent_path());
  return {};
}

RunStatus moveAcrossFileSystems(const fs::path& from, const fs::path& to) {
  FileHandle in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
  if (!in.valid()) return posixError(errno, from);
  struct stat st;
  if (::fstat(in.get(), &st) != 0) return posixError(errno, from);
  if (!S_ISREG(st.st_mode)) return RunError::numbered(74);  // folders do not change drive
  struct stat existing;
  if (::lstat(to.c_str(), &existing) == 0) return RunError::numbered(errnum::kFileExists);

  // 1-2. The copy, hidden beside its final name until it is whole on disk.
  std::string temp = (to.parent_path() / ("." + to.filename().string() + ".XXXXXX")).string();
  FileHandle out(::mkostemp(temp.data(), O_CLOEXEC));
  if (!out.valid()) return posixError(errno, to);
  const bool copied = copyAndFlush(in.get(), out.get()) &&
                      ::fchmod(out.get(), st.st_mode & 07777) == 0 && out.close() == 0;
  if (!copied) {
    const int err = errno;
    ::unlink(temp.c_str());
    return posixError(err, to);
  }
  // 3-4. The copy takes its name.
  if (renameNoReplace(temp, to) != 0) {
    const int err = errno;
    ::unlink(temp.c_str());
    return posixError(err, to);
  }
  flushFolder(to.parent_path());
  // 5. The original goes; if it cannot, the copy goes instead.
  if (::unlink(from.c_str()) != 0) {
    const int err = errno;
    ::unlink(to.c_str());
    flushFolder(to.parent_path());
    return posixError(err, from);
  }
  flushFolder(from.parent_path());
  return {};
}

}  // namespace platform
