#include "platform/linux_file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "platform/file_handle.h"
#include "platform/file_move.h"
#include "platform/posix_error.h"
#include "platform/windows_name.h"

namespace fs = std::filesystem;

namespace platform {

bool LinuxFileSystem::ordinaryFileExists(std::string_view pattern) {
  Result<LinuxPlace> place = drives_.locate(pattern);
  if (!place || !place->folderExists || place->lastPart.empty()) return false;
  std::error_code ec;
  for (fs::directory_iterator it(place->folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.starts_with('.')) continue;  // hidden, the Linux way
    std::error_code typeError;
    if (it->is_regular_file(typeError) && matchesWildcard(place->lastPart, name)) return true;
  }
  return false;
}

Status LinuxFileSystem::remove(std::string_view name) {
  Result<fs::path> path = drives_.resolve(name);
  if (!path) return path.error();
  struct stat st;
  if (::lstat(path->c_str(), &st) != 0) return posixError(errno, *path);
  // Only files are deleted: a folder by this name is no file.
  if (S_ISDIR(st.st_mode)) return Error::numbered(errnum::kFileNotFound);
  if (::unlink(path->c_str()) != 0) return posixError(errno, *path);
  flushFolder(path->parent_path());
  return {};
}

Status LinuxFileSystem::rename(std::string_view from, std::string_view to) {
  Result<fs::path> source = drives_.resolve(from);
  if (!source) return source.error();
  Result<fs::path> target = drives_.resolve(to);
  if (!target) return target.error();
  struct stat st;
  if (::lstat(source->c_str(), &st) != 0) return posixError(errno, *source);
  return moveFile(*source, *target);
}

Result<std::int64_t> LinuxFileSystem::fileLength(std::string_view name) {
  Result<fs::path> path = drives_.resolve(name);
  if (!path) return path.error();
  FileHandle file(::open(path->c_str(), O_RDONLY | O_CLOEXEC));
  if (!file.valid()) return posixError(errno, *path);
  struct stat st;
  if (::fstat(file.get(), &st) != 0) return posixError(errno, *path);
  if (!S_ISREG(st.st_mode)) return Error::numbered(errnum::kPathFileAccess);
  return static_cast<std::int64_t>(st.st_size);
}

Status LinuxFileSystem::flush(std::string_view name) {
  Result<fs::path> path = drives_.resolve(name);
  if (!path) return path.error();
  FileHandle file(::open(path->c_str(), O_RDONLY | O_CLOEXEC));
  if (!file.valid()) return posixError(errno, *path);
  if (::fsync(file.get()) != 0) return posixError(errno, *path);
  return {};
}

Result<std::string> LinuxFileSystem::nameOnDisk(std::string_view name) {
  Result<fs::path> path = drives_.resolve(name);
  if (!path) return path.error();
  struct stat st;
  if (::stat(path->c_str(), &st) != 0) return posixError(errno, *path);
  return drives_.windowsName(*path);
}

}  // namespace platform
