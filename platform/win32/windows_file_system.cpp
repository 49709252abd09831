#include "platform/win32/windows_file_system.h"

#include <io.h>
#include <windows.h>

#include <vector>

#include "jet/io/file.h"
#include "platform/win32/wide.h"
#include "platform/win32/windows_error.h"

namespace platform {
namespace {

RunError lastError() { return windowsError(::GetLastError()); }

// The window's error for a file the engine's layer could not open or use.
RunError fileError(const jet::Error& e) {
  return windowsError(static_cast<unsigned long>(e.systemCode()));
}

// A handle that reads and writes nothing, closed when it goes: for the
// questions asked of a name (its length, its name on disk) while other
// programs may hold the file open, or of a folder. Files read, written,
// flushed or locked are jet::File.
class Handle {
 public:
  explicit Handle(HANDLE h) : h_(h) {}
  ~Handle() {
    if (valid()) ::CloseHandle(h_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return h_; }

 private:
  HANDLE h_;
};

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

}  // namespace

std::string WindowsFileSystem::currentFolder() const {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = ::GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
    if (n < buffer.size()) return fromWide(std::wstring_view(buffer.data(), n));
    buffer.resize(n);
  }
}

// "C:" alone names drive C's current folder, which Windows keeps per drive.
RunStatus WindowsFileSystem::setCurrentDrive(std::string_view drive) {
  const std::wstring letter = toWide(drive.substr(0, drive.empty() ? 0 : 1));
  if (letter.size() != 1 || !iswalpha(letter[0])) return RunError::numbered(errnum::kDeviceUnavailable);
  const std::wstring name = letter + L":";
  if (::GetDriveTypeW((name + L"\\").c_str()) == DRIVE_NO_ROOT_DIR ||
      !::SetCurrentDirectoryW(name.c_str())) {
    return RunError::numbered(errnum::kDeviceUnavailable);
  }
  return {};
}

bool WindowsFileSystem::ordinaryFileExists(std::string_view pattern) {
  if (pattern.empty()) return false;
  WIN32_FIND_DATAW found{};
  HANDLE search = ::FindFirstFileExW(toWide(pattern).c_str(), FindExInfoBasic, &found,
                                     FindExSearchNameMatch, nullptr, 0);
  if (search == INVALID_HANDLE_VALUE) return false;
  constexpr DWORD kNotOrdinary =
      FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  bool any = false;
  do {
    any = (found.dwFileAttributes & kNotOrdinary) == 0;
  } while (!any && ::FindNextFileW(search, &found));
  ::FindClose(search);
  return any;
}

RunStatus WindowsFileSystem::remove(std::string_view name) {
  const std::wstring wide = toWide(name);
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  // Only files are deleted: a folder by this name is no file.
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return RunError::numbered(errnum::kFileNotFound);
  }
  if (!::DeleteFileW(wide.c_str())) return lastError();
  return {};
}

RunStatus WindowsFileSystem::rename(std::string_view from, std::string_view to) {
  if (!::MoveFileExW(toWide(from).c_str(), toWide(to).c_str(),
                     MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH)) {
    return lastError();
  }
  return {};
}

RunStatus WindowsFileSystem::renameExact(std::string_view from, std::string_view to) {
  return rename(from, to);
}

bool WindowsFileSystem::isSymbolicLink(std::string_view name) {
  WIN32_FIND_DATAW found{};
  HANDLE search = ::FindFirstFileExW(toWide(name).c_str(), FindExInfoBasic, &found,
                                     FindExSearchNameMatch, nullptr, 0);
  if (search == INVALID_HANDLE_VALUE) return false;
  ::FindClose(search);
  return (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
         found.dwReserved0 == IO_REPARSE_TAG_SYMLINK;
}

RunResult<std::int64_t> WindowsFileSystem::fileLength(std::string_view name) {
  Handle file(::CreateFileW(toWide(name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) {
    const DWORD attributes = ::GetFileAttributesW(toWide(name).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      return RunError::numbered(errnum::kPathFileAccess);
    }
    return lastError();
  }
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.get(), &size)) return lastError();
  return static_cast<std::int64_t>(size.QuadPart);
}

RunStatus WindowsFileSystem::flush(std::string_view name) {
  jet::Result<jet::File> file = jet::File::open(toWide(name), jet::File::Mode::kReadWrite);
  if (!file) return fileError(file.error());
  if (jet::Status synced = file->sync(); !synced) return fileError(synced.error());
  return {};
}

// The final name of the open file, as the file system spells it, with its
// drive ("C:\...") or its server ("\\servidor\kel\...").
RunResult<std::string> WindowsFileSystem::nameOnDisk(std::string_view name) {
  Handle file(::CreateFileW(toWide(name).c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file.valid()) return lastError();
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = ::GetFinalPathNameByHandleW(file.get(), buffer.data(),
                                                static_cast<DWORD>(buffer.size()),
                                                FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n == 0) return lastError();
    if (n < buffer.size()) {
      std::wstring path(buffer.data(), n);
      if (path.starts_with(L"\\\\?\\UNC\\")) path = L"\\\\" + path.substr(8);
      else if (path.starts_with(L"\\\\?\\")) path = path.substr(4);
      return fromWide(path);
    }
    buffer.resize(n);
  }
}

namespace {

// The lock goes with the file's handle, or with the process.
class WindowsFileLock : public FileLock {
 public:
  explicit WindowsFileLock(jet::File file) : file_(std::move(file)) {}

 private:
  jet::File file_;
};

}  // namespace

RunResult<std::unique_ptr<FileLock>> WindowsFileSystem::lockExclusive(std::string_view name) {
  // Read access is enough to lock, and lets users who may not write the file
  // lock it too. A link is not followed.
  jet::Result<jet::File> file = jet::File::open(toWide(name), jet::File::Mode::kLock);
  if (!file) return fileError(file.error());
  HANDLE handle = reinterpret_cast<HANDLE>(::_get_osfhandle(file->descriptor()));
  OVERLAPPED from{};
  if (!::LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD,
                    MAXDWORD, &from)) {
    const DWORD err = ::GetLastError();
    if (err == ERROR_LOCK_VIOLATION || err == ERROR_IO_PENDING) {
      return std::unique_ptr<FileLock>();
    }
    return windowsError(err);
  }
  return std::unique_ptr<FileLock>(std::make_unique<WindowsFileLock>(std::move(*file)));
}

}  // namespace platform
