#include "platform/linux_file_system.h"

#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "jet/io/file.h"
#include "platform/file_move.h"
#include "platform/posix_error.h"
#include "platform/windows_name.h"

namespace fs = std::filesystem;

namespace platform {

bool LinuxFileSystem::ordinaryFileExists(std::string_view pattern) {
  RunResult<LinuxPlace> place = drives_.locate(pattern);
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

RunStatus LinuxFileSystem::remove(std::string_view name) {
  RunResult<fs::path> path = drives_.resolve(name);
  if (!path) return path.error();
  struct stat st;
  if (::lstat(path->c_str(), &st) != 0) return posixError(errno, *path);
  // Only files are deleted: a folder by this name is no file.
  if (S_ISDIR(st.st_mode)) return RunError::numbered(errnum::kFileNotFound);
  if (::unlink(path->c_str()) != 0) return posixError(errno, *path);
  flushFolder(path->parent_path());
  return {};
}

RunStatus LinuxFileSystem::rename(std::string_view from, std::string_view to) {
  RunResult<fs::path> target = drives_.resolve(to);
  if (!target) return target.error();
  return move(from, *target);
}

RunStatus LinuxFileSystem::renameExact(std::string_view from, std::string_view to) {
  RunResult<LinuxPlace> place = drives_.locate(to);
  if (!place) return place.error();
  return move(from, place->folder / place->lastPart);
}

RunStatus LinuxFileSystem::move(std::string_view from, const fs::path& target) {
  RunResult<fs::path> source = drives_.resolve(from);
  if (!source) return source.error();
  struct stat st;
  if (::lstat(source->c_str(), &st) != 0) return posixError(errno, *source);
  return moveFile(*source, target);
}

bool LinuxFileSystem::isSymbolicLink(std::string_view name) {
  RunResult<fs::path> path = drives_.resolve(name);
  struct stat st;
  return path && ::lstat(path->c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

RunResult<std::int64_t> LinuxFileSystem::fileLength(std::string_view name) {
  RunResult<fs::path> path = drives_.resolve(name);
  if (!path) return path.error();
  jet::Result<jet::File> file = jet::File::open(*path);
  if (!file) return posixError(file.error(), *path);  // a folder among them: 75
  struct stat st;
  if (::fstat(file->descriptor(), &st) != 0) return posixError(errno, *path);
  if (!S_ISREG(st.st_mode)) return RunError::numbered(errnum::kPathFileAccess);
  return static_cast<std::int64_t>(st.st_size);
}

RunStatus LinuxFileSystem::flush(std::string_view name) {
  RunResult<fs::path> path = drives_.resolve(name);
  if (!path) return path.error();
  jet::Result<jet::File> file = jet::File::open(*path);
  if (!file) return posixError(file.error(), *path);
  if (jet::Status synced = file->sync(); !synced) return posixError(synced.error(), *path);
  return {};
}

RunResult<std::string> LinuxFileSystem::nameOnDisk(std::string_view name) {
  RunResult<fs::path> path = drives_.resolve(name);
  if (!path) return path.error();
  struct stat st;
  if (::stat(path->c_str(), &st) != 0) return posixError(errno, *path);
  return drives_.windowsName(*path);
}

namespace {

// flock(2) on a descriptor of its own: it conflicts with every other open of
// the file, and goes with the descriptor, or with the process.
class Flock : public FileLock {
 public:
  explicit Flock(jet::File file) : file_(std::move(file)) {}

 private:
  jet::File file_;
};

}  // namespace

RunResult<std::unique_ptr<FileLock>> LinuxFileSystem::lockExclusive(std::string_view name) {
  RunResult<fs::path> path = drives_.resolve(name);
  if (!path) return path.error();
  // Read-only is enough to lock, and lets users who may not write the file
  // (another's, in a shared folder) lock it too. A link is not followed.
  jet::Result<jet::File> file = jet::File::open(*path, jet::File::Mode::kLock);
  if (!file) return posixError(file.error(), *path);
  if (::flock(file->descriptor(), LOCK_EX | LOCK_NB) != 0) {
    if (errno == EWOULDBLOCK) return std::unique_ptr<FileLock>();
    return posixError(errno, *path);
  }
  return std::unique_ptr<FileLock>(std::make_unique<Flock>(std::move(*file)));
}

}  // namespace platform
