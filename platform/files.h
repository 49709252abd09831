// The file system as the window's logic sees it: Windows names, Windows error
// numbers. Every name may be relative to the current folder, start at the
// root of the current drive ("\BORRAR1.MDB") or carry its drive ("C:\KEL").
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/run_status.h"

namespace platform {

// An exclusive hold on a file, given back when the object goes, and by the
// system when the process ends however it ends.
class FileLock {
 public:
  virtual ~FileLock() = default;
};

class Files {
 public:
  virtual ~Files() = default;

  // The current folder on the current drive, such as "C:\KEL".
  virtual std::string currentFolder() const = 0;
  // Makes the drive named by the first character of `drive` current;
  // 68 when it does not exist.
  virtual RunStatus setCurrentDrive(std::string_view drive) = 0;

  // True iff the last part of `pattern`, where "*" and "?" are wildcards,
  // matches an ordinary file of its folder (not a folder, not a hidden
  // file), letter case ignored. A name that cannot be looked at (a drive or
  // folder that does not exist) matches nothing.
  virtual bool ordinaryFileExists(std::string_view pattern) = 0;
  // Deletes one file: 53 when there is none, 76 when its folder is missing.
  virtual RunStatus remove(std::string_view name) = 0;
  // Moves `from` to `to`, also onto another file system; never replaces:
  // 58 when `to` exists, 53 when `from` does not. The folders of both are
  // flushed to disk once the move is done.
  virtual RunStatus rename(std::string_view from, std::string_view to) = 0;
  // As rename, but `to` is taken letter for letter, as nameOnDisk spells a
  // file: where the file system tells letter case apart, an entry whose name
  // differs from `to` only in case is another file, which neither stops the
  // move nor is replaced. Where it does not, this is rename.
  virtual RunStatus renameExact(std::string_view from, std::string_view to) = 0;
  // True iff `name` is a symbolic link, whether or not what it points to
  // exists. A link holds no data of its own.
  virtual bool isSymbolicLink(std::string_view name) = 0;
  // Opens `name` for reading and takes its length in bytes.
  virtual RunResult<std::int64_t> fileLength(std::string_view name) = 0;
  // Writes the file's contents through to the disk.
  virtual RunStatus flush(std::string_view name) = 0;
  // The name of an existing file spelled as the file system spells it, with
  // its drive: "C:\KEL\KEL01.MDB" may be "C:\kel\Kel01.mdb".
  virtual RunResult<std::string> nameOnDisk(std::string_view name) = 0;
  // Takes an exclusive lock on the file `name` without waiting, creating it
  // empty if missing. Null when another holder has it: another open of it,
  // in this process or another. The file is never removed (one removed while
  // held would let a second holder lock a new file of the same name). The
  // system drops the lock with the process however it ends (flock on Linux,
  // LockFileEx on Windows).
  virtual RunResult<std::unique_ptr<FileLock>> lockExclusive(std::string_view name) = 0;
};

}  // namespace platform
