// The machine's file system on POSIX systems: names.
#include <cerrno>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include "jet/io/local_file_system.h"

namespace jet {

Status LocalFileSystem::copyPermissions(const std::filesystem::path& model,
                                        const std::filesystem::path& target) {
  struct stat st {};
  if (::stat(model.c_str(), &st) != 0) return Error::fromErrno(errno, model.string());
  if (::chmod(target.c_str(), st.st_mode & 07777) != 0) {
    return Error::fromErrno(errno, target.string());
  }
  return okStatus();
}

Status LocalFileSystem::link(const std::filesystem::path& existing,
                             const std::filesystem::path& alias) {
  if (::link(existing.c_str(), alias.c_str()) != 0) return Error::fromErrno(errno, alias.string());
  return okStatus();
}

Status LocalFileSystem::replace(const std::filesystem::path& from,
                                const std::filesystem::path& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) return Error::fromErrno(errno, to.string());
  return okStatus();
}

Status LocalFileSystem::remove(const std::filesystem::path& path) {
  if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
    return Error::fromErrno(errno, path.string());
  }
  return okStatus();
}

Result<bool> LocalFileSystem::exists(const std::filesystem::path& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0) return true;
  if (errno == ENOENT || errno == ENOTDIR) return false;
  return Error::fromErrno(errno, path.string());
}

}  // namespace jet
