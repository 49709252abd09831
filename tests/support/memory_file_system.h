// A file system held in memory, with Windows names and drives: what the
// window's logic is tested against.
//
// Names follow the same rules as on disk (windows_name.h): relative to the
// current folder, from the root of the current drive, or with a drive; letter
// case is ignored and kept as first written. Files whose names start with "."
// are hidden. Errors carry the same numbers as the Linux file system's. It
// holds no symbolic links; its locks must not outlive it.
//
// For tests of the order of work and of each failure, it can write down
// every call of the Files interface and fail the ones it is told to: the nth
// rename, delete, open, flush, lookup or lock, with a chosen error. Exact
// renames count and are written down as renames, link tests as existence
// tests. Set-up and inspection calls are neither written down nor failed.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/files.h"

namespace platform {

class MemoryFileSystem : public Files {
 public:
  // `drives` lists the letters that exist; `currentFolder` is written the
  // Windows way ("C:\KEL") and created if missing.
  explicit MemoryFileSystem(std::string_view currentFolder = "C:\\",
                            std::string_view drives = "CZ");

  // Set-up and inspection.
  void addFolder(std::string_view name);  // with the folders above it
  void addFile(std::string_view name, std::string bytes);  // the folder must exist
  bool isFile(std::string_view name) const;
  std::optional<std::string> contents(std::string_view name) const;
  // Every file's full name as first written, in order of the upper-cased names.
  std::vector<std::string> files() const;

  // Faults and the journal.
  enum class Op { Exists, Remove, Rename, Open, Flush, NameOnDisk, Lock };
  // `journal` (null for none) receives one line per call, such as
  // "rename \BORRAR1.MDB > C:\KEL\KEL01.MDB"; it must outlive this object.
  void setJournal(std::vector<std::string>* journal) { journal_ = journal; }
  // The `nth` (1-based) call of `op` from now on fails with `error`.
  void failNth(Op op, int nth, RunError error);

  // Files.
  std::string currentFolder() const override;
  RunStatus setCurrentDrive(std::string_view drive) override;
  bool ordinaryFileExists(std::string_view pattern) override;
  RunStatus remove(std::string_view name) override;
  RunStatus rename(std::string_view from, std::string_view to) override;
  // Letter case is ignored here, so this is rename.
  RunStatus renameExact(std::string_view from, std::string_view to) override;
  bool isSymbolicLink(std::string_view name) override;
  RunResult<std::int64_t> fileLength(std::string_view name) override;
  RunStatus flush(std::string_view name) override;
  RunResult<std::string> nameOnDisk(std::string_view name) override;
  RunResult<std::unique_ptr<FileLock>> lockExclusive(std::string_view name) override;

 private:
  struct Entry {
    std::string name;  // full name as first written
    bool folder = false;
    std::string bytes;
  };
  struct Place {
    char drive = 0;
    std::vector<std::string> parts;  // from the drive's root
  };

  RunResult<Place> place(std::string_view name) const;
  static std::string key(char drive, const std::vector<std::string>& parts);
  bool folderExists(char drive, const std::vector<std::string>& parts) const;
  // True iff `p` names something (not a root) in a folder that exists.
  bool parentExists(const Place& p) const;
  // RunError for a missing `p`: 76 when its folder is missing, else 53.
  RunError missing(const Place& p) const;
  const Entry* find(const Place& p) const;
  // Writes the call down; returns the error it must fail with, if any.
  const RunError* call(Op op, const std::string& line);

  std::string drives_;
  char current_ = 'C';
  std::map<char, std::vector<std::string>> folders_;  // each drive's current folder
  std::map<std::string, Entry> entries_;              // by upper-cased full name
  std::set<std::string> locked_;                       // keys of the files locked
  struct Fault {
    int remaining;
    RunError error;
  };
  std::vector<std::string>* journal_ = nullptr;
  std::map<Op, std::vector<Fault>> faults_;
};

}  // namespace platform
