#include "platform/file_move.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "jet/io/file.h"
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

// Creates a new file under a hidden name beside `to` (".NAME.123456"), the
// name given back in `temp`.
jet::Result<jet::File> createHiddenBeside(const fs::path& to, fs::path& temp) {
  std::random_device random;
  for (int attempt = 0; attempt < 32; ++attempt) {
    std::string name(1, '.');
    name.append(to.filename().string()).append(1, '.').append(std::to_string(random() % 1000000u));
    temp = to.parent_path() / name;
    jet::Result<jet::File> file = jet::File::createNew(temp);
    if (file || file.error().number() != jet::errc::kAlreadyExists) return file;
  }
  return jet::Error::fromErrno(EEXIST, temp.string());
}

// Copies the bytes of `in` to `out`, sets its mode and flushes it.
jet::Status copyAndFlush(const jet::File& in, jet::File& out, mode_t mode) {
  std::vector<std::byte> buffer(1 << 20);
  for (std::uint64_t offset = 0;;) {
    JET_TRY(std::size_t n, in.readAt(offset, buffer));
    if (n == 0) break;
    JET_CHECK(out.writeAt(offset, std::span(buffer).first(n)));
    offset += n;
  }
  if (::fchmod(out.descriptor(), mode) != 0) return jet::Error::fromErrno(errno, out.path().string());
  JET_CHECK(out.sync());
  return out.close();
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
  constexpr int kNotMoved = 74;  // folders and other special files do not change drive
  jet::Result<jet::File> in = jet::File::open(from);
  if (!in && in.error().systemCode() == EISDIR) return RunError::numbered(kNotMoved);
  if (!in) return posixError(in.error(), from);
  struct stat st;
  if (::fstat(in->descriptor(), &st) != 0) return posixError(errno, from);
  if (!S_ISREG(st.st_mode)) return RunError::numbered(kNotMoved);
  struct stat existing;
  if (::lstat(to.c_str(), &existing) == 0) return RunError::numbered(errnum::kFileExists);

  // 1-2. The copy, hidden beside its final name until it is whole on disk.
  fs::path temp;
  jet::Result<jet::File> out = createHiddenBeside(to, temp);
  if (!out) return posixError(out.error(), to);
  if (jet::Status copied = copyAndFlush(*in, *out, st.st_mode & 07777); !copied) {
    (void)out->close();
    ::unlink(temp.c_str());
    return posixError(copied.error(), to);
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
