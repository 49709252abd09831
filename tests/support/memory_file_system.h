// A file system held in memory, with Windows names and drives: what the
// window's logic is tested against.
//
// Names follow the same rules as on disk (windows_name.h): relative to the
// current folder, from the root of the current drive, or with a drive; letter
// case is ignored and kept as first written. Files whose names start with "."
// are hidden. Errors carry the same numbers as the Linux file system's. It
// holds no symbolic links; its locks must not outlive it.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace platform {

class MemoryFileSystem : public FileSystem {
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

  // FileSystem.
  std::string currentFolder() const override;
  Status setCurrentDrive(std::string_view drive) override;
  bool ordinaryFileExists(std::string_view pattern) override;
  Status remove(std::string_view name) override;
  Status rename(std::string_view from, std::string_view to) override;
  // Letter case is ignored here, so this is rename.
  Status renameExact(std::string_view from, std::string_view to) override;
  bool isSymbolicLink(std::string_view) override { return false; }
  Result<std::int64_t> fileLength(std::string_view name) override;
  Status flush(std::string_view name) override;
  Result<std::string> nameOnDisk(std::string_view name) override;
  Result<std::unique_ptr<FileLock>> lockExclusive(std::string_view name) override;

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

  Result<Place> place(std::string_view name) const;
  static std::string key(char drive, const std::vector<std::string>& parts);
  bool folderExists(char drive, const std::vector<std::string>& parts) const;
  // Error for a missing `p`: 76 when its folder is missing, else 53.
  Error missing(const Place& p) const;
  const Entry* find(const Place& p) const;

  std::string drives_;
  char current_ = 'C';
  std::map<char, std::vector<std::string>> folders_;  // each drive's current folder
  std::map<std::string, Entry> entries_;              // by upper-cased full name
  std::set<std::string> locked_;                       // keys of the files locked
};

}  // namespace platform
