// The machine's file system on Windows: names, with the wide-character API,
// CreateHardLinkW, and MoveFileExW with replace and write-through for the
// one-step rename.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "jet/io/local_file_system.h"
#include "jet/io/path_text.h"

namespace jet {
namespace {

Error lastError(const std::filesystem::path& path) {
  return Error::fromWindowsError(::GetLastError(), utf8Of(path));
}

// FILE_RENAME_INFO as Windows 10 1709 reads it for FileRenameInfoEx (the
// headers give it only to programs that require that version).
struct RenameInfoEx {
  DWORD flags;
  HANDLE rootDirectory;
  DWORD fileNameLength;
  WCHAR fileName[1];
};
constexpr auto kFileRenameInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(22);
constexpr DWORD kReplaceIfExists = 0x1;
constexpr DWORD kPosixSemantics = 0x2;

// Renames `from` over `to` by handle with POSIX semantics (Windows 10 1709
// and later, NTFS): the one way to replace a file that is still open, as the
// database being repaired is (shared for renaming only, file_win32.cpp).
bool replaceOpenTarget(const std::filesystem::path& from, const std::filesystem::path& to) {
  HANDLE h = ::CreateFileW(from.c_str(), DELETE | SYNCHRONIZE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  const std::wstring target = std::filesystem::absolute(to).wstring();
  const std::size_t nameBytes = target.size() * sizeof(wchar_t);
  std::vector<std::byte> buffer(sizeof(RenameInfoEx) + nameBytes);
  auto* info = reinterpret_cast<RenameInfoEx*>(buffer.data());
  info->flags = kReplaceIfExists | kPosixSemantics;
  info->rootDirectory = nullptr;
  info->fileNameLength = static_cast<DWORD>(nameBytes);
  std::memcpy(info->fileName, target.c_str(), nameBytes);
  const BOOL renamed = ::SetFileInformationByHandle(h, kFileRenameInfoEx, info,
                                                    static_cast<DWORD>(buffer.size()));
  ::CloseHandle(h);
  return renamed != FALSE;
}

}  // namespace

// Windows keeps who may do what in the folder's inherited rights; of the
// model's own attributes the new file takes those a user sets.
Status LocalFileSystem::copyPermissions(const std::filesystem::path& model,
                                        const std::filesystem::path& target) {
  const DWORD attributes = ::GetFileAttributesW(model.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return lastError(model);
  constexpr DWORD kKept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                          FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                          FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  const DWORD kept = attributes & kKept;
  if (!::SetFileAttributesW(target.c_str(), kept ? kept : FILE_ATTRIBUTE_NORMAL)) {
    return lastError(target);
  }
  return okStatus();
}

Status LocalFileSystem::link(const std::filesystem::path& existing,
                             const std::filesystem::path& alias) {
  if (!::CreateHardLinkW(alias.c_str(), existing.c_str(), nullptr)) return lastError(alias);
  return okStatus();
}

// Windows will not rename over a file that is still open, as the database
// being repaired is (shared for renaming only, file_win32.cpp). Then, on
// NTFS under Windows 10 1709 or later, a rename by handle with POSIX
// semantics still replaces it in one step; elsewhere (FAT, a file server)
// the old file first steps aside under a temporary name, the new one takes
// the name, and the old one's name goes. A crash in between leaves the old
// file under that temporary name: nothing is lost, though for a moment
// `to` names no file.
Status LocalFileSystem::replace(const std::filesystem::path& from,
                                const std::filesystem::path& to) {
  constexpr DWORD kFlags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
  if (::MoveFileExW(from.c_str(), to.c_str(), kFlags)) return okStatus();
  const DWORD err = ::GetLastError();
  if (err != ERROR_ACCESS_DENIED && err != ERROR_SHARING_VIOLATION) {
    return Error::fromWindowsError(err, utf8Of(to));
  }
  if (replaceOpenTarget(from, to)) return okStatus();
  std::filesystem::path aside = to;
  aside += pathFromUtf8(".~" + std::to_string(::GetCurrentProcessId()) + ".tmp");
  if (!::MoveFileExW(to.c_str(), aside.c_str(), MOVEFILE_WRITE_THROUGH)) {
    return Error::fromWindowsError(err, utf8Of(to));
  }
  if (!::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH)) {
    const DWORD moveErr = ::GetLastError();
    ::MoveFileExW(aside.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH);
    return Error::fromWindowsError(moveErr, utf8Of(to));
  }
  // Still open: the name goes now, the file when its last handle closes.
  ::DeleteFileW(aside.c_str());
  return okStatus();
}

Status LocalFileSystem::remove(const std::filesystem::path& path) {
  if (::DeleteFileW(path.c_str())) return okStatus();
  const DWORD err = ::GetLastError();
  if (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND) return okStatus();
  return Error::fromWindowsError(err, utf8Of(path));
}

Result<bool> LocalFileSystem::exists(const std::filesystem::path& path) {
  if (::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  const DWORD err = ::GetLastError();
  if (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND) return false;
  return Error::fromWindowsError(err, utf8Of(path));
}

}  // namespace jet
