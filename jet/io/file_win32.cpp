// File on Windows: the wide-character API, so that any name opens.
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

#include "jet/io/file.h"
#include "jet/io/path_text.h"

namespace jet {
namespace {

HANDLE handleOf(int fd) { return reinterpret_cast<HANDLE>(::_get_osfhandle(fd)); }

}  // namespace

Result<File> File::open(const std::filesystem::path& path, Mode mode) {
  const DWORD access = mode == Mode::kRead ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE | DELETE;
  const DWORD share = mode == Mode::kRead ? FILE_SHARE_READ : FILE_SHARE_DELETE;
  HANDLE h = ::CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD err = ::GetLastError();
    // A folder cannot be opened as a file: it is no database, as on Linux.
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      return Error::notADatabase(utf8Of(path));
    }
    return Error::fromWindowsError(err, utf8Of(path));
  }
  const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(h),
                                   mode == Mode::kRead ? _O_RDONLY : _O_RDWR);
  if (fd < 0) {
    ::CloseHandle(h);
    return Error(errc::kIoError, utf8Of(path));
  }
  return File(fd, mode, path);
}

File::~File() { close(); }

File::File(File&& other) noexcept
    : fd_(other.fd_), mode_(other.mode_), path_(std::move(other.path_)) {
  other.fd_ = -1;
}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    close();
    fd_ = other.fd_;
    mode_ = other.mode_;
    path_ = std::move(other.path_);
    other.fd_ = -1;
  }
  return *this;
}

void File::close() {
  if (fd_ >= 0) ::_close(fd_);  // closes the handle too
  fd_ = -1;
}

Result<std::uint64_t> File::size() const {
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(handleOf(fd_), &size)) {
    return Error::fromWindowsError(::GetLastError(), utf8Of(path_));
  }
  return static_cast<std::uint64_t>(size.QuadPart);
}

Result<std::size_t> File::readAt(std::uint64_t offset, std::span<std::byte> out) const {
  std::size_t done = 0;
  while (done < out.size()) {
    const std::uint64_t at = offset + done;
    OVERLAPPED where{};
    where.Offset = static_cast<DWORD>(at);
    where.OffsetHigh = static_cast<DWORD>(at >> 32);
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(out.size() - done, 1u << 30));
    DWORD got = 0;
    if (!::ReadFile(handleOf(fd_), out.data() + done, want, &got, &where)) {
      const DWORD err = ::GetLastError();
      if (err == ERROR_HANDLE_EOF) break;
      return Error::fromWindowsError(err, utf8Of(path_));
    }
    if (got == 0) break;
    done += got;
  }
  return done;
}

}  // namespace jet
