// The system calls of a File on Windows: the wide-character API, so that any
// name opens.
//
// The handle lives in a C run-time descriptor (_open_osfhandle), so File keeps
// the same members on every system. The share mode is the database's lock, as
// with Jet itself: a file opened for reading shares reading only, so a program
// that has it open for writing (Access, the KEL application, another computer
// through a file server) makes the open fail with a sharing violation, 3000;
// a file opened for writing (repair) shares nothing but renaming, so nobody
// else opens it while we work and our own repair can swap it.
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <random>
#include <string>

#include "jet/io/file.h"
#include "jet/io/path_text.h"

namespace jet {

namespace fs = std::filesystem;

namespace {

HANDLE handleOf(int fd) { return reinterpret_cast<HANDLE>(::_get_osfhandle(fd)); }

// Gives `h` a C run-time descriptor; closes it when that fails.
int descriptorOf(HANDLE h, bool writable) {
  const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(h), writable ? _O_RDWR : _O_RDONLY);
  if (fd < 0) ::CloseHandle(h);
  return fd;
}

OVERLAPPED at(std::uint64_t offset) {
  OVERLAPPED where{};
  where.Offset = static_cast<DWORD>(offset);
  where.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return where;
}

// One call moves at most 1 GiB.
DWORD piece(std::size_t size) { return static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30)); }

}  // namespace

Result<File> File::open(const fs::path& path, Mode mode) {
  DWORD access = GENERIC_READ;
  DWORD share = FILE_SHARE_READ;
  DWORD disposition = OPEN_EXISTING;
  DWORD flags = FILE_ATTRIBUTE_NORMAL;
  if (mode == Mode::kReadWrite) {
    access = GENERIC_READ | GENERIC_WRITE | DELETE;
    share = FILE_SHARE_DELETE;
  } else if (mode == Mode::kLock) {
    share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    disposition = OPEN_ALWAYS;
    flags |= FILE_FLAG_OPEN_REPARSE_POINT;
  }
  HANDLE h = ::CreateFileW(path.c_str(), access, share, nullptr, disposition, flags, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD err = ::GetLastError();
    // A folder cannot be opened as a file: it is no database, as on Linux.
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      return Error::notADatabase(utf8Of(path)).withSystemCode(err);
    }
    return Error::fromWindowsError(err, utf8Of(path));
  }
  const int fd = descriptorOf(h, mode == Mode::kReadWrite);
  if (fd < 0) return Error(errc::kIoError, utf8Of(path));
  return File(fd, mode, path);
}

bool File::newFilesReadableWhileOpen() { return false; }

Result<File> File::createNew(const fs::path& path) {
  HANDLE h = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return Error::fromWindowsError(::GetLastError(), utf8Of(path));
  const int fd = descriptorOf(h, true);
  if (fd < 0) return Error(errc::kIoError, utf8Of(path));
  return File(fd, Mode::kReadWrite, path);
}

// A hidden temporary file that the system deletes when it is closed,
// whatever ends the program.
Result<File> File::createScratch(const fs::path& folder) {
  std::random_device random;
  for (int attempt = 0; attempt < 32; ++attempt) {
    const fs::path name =
        folder / ("~jetdb-sort." + std::to_string(random() % 1000000000u) + ".tmp");
    HANDLE h = ::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN |
                                 FILE_FLAG_DELETE_ON_CLOSE,
                             nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      const int fd = descriptorOf(h, true);
      if (fd < 0) return Error(errc::kIoError, utf8Of(folder));
      return File(fd, Mode::kReadWrite, "temporal");
    }
    const DWORD err = ::GetLastError();
    if (err != ERROR_FILE_EXISTS && err != ERROR_ALREADY_EXISTS) {
      return Error::fromWindowsError(err, utf8Of(folder));
    }
  }
  return Error(errc::kIoError, utf8Of(folder));
}

// NTFS journals its folders; a folder that can be flushed is flushed, and
// one that cannot (FAT, a file server) is as durable as it will be.
Status File::syncFolder(const fs::path& folder) {
  HANDLE h = ::CreateFileW(folder.c_str(), GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD err = ::GetLastError();
    if (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND) {
      return Error::fromWindowsError(err, utf8Of(folder));
    }
    return okStatus();
  }
  ::FlushFileBuffers(h);
  ::CloseHandle(h);
  return okStatus();
}

Result<std::uint64_t> File::size() const {
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(handleOf(fd_), &size)) {
    return Error::fromWindowsError(::GetLastError(), utf8Of(path_));
  }
  return static_cast<std::uint64_t>(size.QuadPart);
}

Result<std::size_t> File::readSome(std::uint64_t offset, std::span<std::byte> out) const {
  OVERLAPPED where = at(offset);
  DWORD got = 0;
  if (!::ReadFile(handleOf(fd_), out.data(), piece(out.size()), &got, &where)) {
    const DWORD err = ::GetLastError();
    if (err == ERROR_HANDLE_EOF) return std::size_t{0};
    return Error::fromWindowsError(err, utf8Of(path_));
  }
  return static_cast<std::size_t>(got);
}

Result<std::size_t> File::writeSome(std::uint64_t offset, std::span<const std::byte> bytes) {
  OVERLAPPED where = at(offset);
  DWORD put = 0;
  if (!::WriteFile(handleOf(fd_), bytes.data(), piece(bytes.size()), &put, &where)) {
    return Error::fromWindowsError(::GetLastError(), utf8Of(path_));
  }
  return static_cast<std::size_t>(put);
}

void File::startWriteback() {}

Status File::sync() {
  if (fd_ < 0) return failure(errc::kIoError);
  if (!::FlushFileBuffers(handleOf(fd_))) {
    return Error::fromWindowsError(::GetLastError(), utf8Of(path_));
  }
  return okStatus();
}

Status File::closeDescriptor(int fd) const {
  if (::_close(fd) != 0) return failure(errc::kIoError);  // closes the handle too
  return okStatus();
}

}  // namespace jet
