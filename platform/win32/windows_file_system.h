// The file system of the window's logic on Windows: the system's own names
// (drive letters, UNC paths, "\" for the root of the current drive, its
// wildcards and letter case) through the wide-character API, and Windows
// error codes turned into the same numbers as on Linux.
#pragma once

#include "platform/files.h"

namespace platform {

class WindowsFileSystem : public Files {
 public:
  std::string currentFolder() const override;
  RunStatus setCurrentDrive(std::string_view drive) override;
  bool ordinaryFileExists(std::string_view pattern) override;
  RunStatus remove(std::string_view name) override;
  // MoveFileExW, never over an existing name; to another drive the file is
  // copied, and the copy is on the disk before the original goes
  // (MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH).
  RunStatus rename(std::string_view from, std::string_view to) override;
  // Windows' file systems do not tell letter case apart: this is rename.
  RunStatus renameExact(std::string_view from, std::string_view to) override;
  bool isSymbolicLink(std::string_view name) override;
  RunResult<std::int64_t> fileLength(std::string_view name) override;
  RunStatus flush(std::string_view name) override;
  RunResult<std::string> nameOnDisk(std::string_view name) override;
  // LockFileEx on a handle of its own: it conflicts with every other
  // handle's lock, in this process or another, and goes with the handle or
  // with the process.
  RunResult<std::unique_ptr<FileLock>> lockExclusive(std::string_view name) override;
};

}  // namespace platform
