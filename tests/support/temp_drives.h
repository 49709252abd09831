// The file system the window's logic is tested against: the Linux adapter
// itself, over drives C: and Z: in a temporary folder, with files put in
// place and read back by their Windows names.
//
// For tests of the order of work and of each failure, it can write down the
// calls that find, move or delete files and fail the ones it is told to: the
// nth rename, delete, flush, lookup or lock, with a chosen error, before the
// call reaches the disk. Exact renames count and are written down as
// renames, link tests as existence tests. Set-up and inspection calls, and
// the drive and length queries, are neither written down nor failed.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/drive_map.h"
#include "platform/linux_file_system.h"
#include "tests/support/corpus.h"

namespace testing_support {

class TempDrives : public platform::Files {
 public:
  // `currentFolder`, on drive C: ("C:\KEL"), is created and made current.
  explicit TempDrives(std::string_view currentFolder = "C:\\");

  // Set-up and inspection.
  void addFolder(std::string_view name);  // with the folders above it
  void addFile(std::string_view name, const std::string& bytes);  // the folder must exist
  bool isFile(std::string_view name) const { return contents(name).has_value(); }
  std::optional<std::string> contents(std::string_view name) const;
  // Every file's Windows name as on disk, in order of the upper-cased names.
  std::vector<std::string> files() const;

  // Faults and the journal.
  enum class Op { Exists, Remove, Rename, Flush, NameOnDisk, Lock };
  // `journal` (null for none) receives one line per call, such as
  // "rename \BORRAR1.MDB > C:\KEL\KEL01.MDB"; it must outlive this object.
  void setJournal(std::vector<std::string>* journal) { journal_ = journal; }
  // The `nth` (1-based) call of `op` from now on fails with `error`.
  void failNth(Op op, int nth, platform::RunError error);

  // Files.
  std::string currentFolder() const override { return files_.currentFolder(); }
  platform::RunStatus setCurrentDrive(std::string_view drive) override {
    return files_.setCurrentDrive(drive);
  }
  bool ordinaryFileExists(std::string_view pattern) override;
  platform::RunStatus remove(std::string_view name) override;
  platform::RunStatus rename(std::string_view from, std::string_view to) override;
  platform::RunStatus renameExact(std::string_view from, std::string_view to) override;
  bool isSymbolicLink(std::string_view name) override;
  platform::RunResult<std::int64_t> fileLength(std::string_view name) override {
    return files_.fileLength(name);
  }
  platform::RunStatus flush(std::string_view name) override;
  platform::RunResult<std::string> nameOnDisk(std::string_view name) override;
  platform::RunResult<std::unique_ptr<platform::FileLock>> lockExclusive(std::string_view name) override;

 private:
  // Writes the call down; returns the error it must fail with, if any.
  const platform::RunError* call(Op op, const std::string& line);
  std::filesystem::path path(std::string_view name) const;

  TempDir dir_;
  platform::DriveMap drives_;
  platform::LinuxFileSystem files_{drives_};
  struct Fault { int remaining; platform::RunError error; };
  std::vector<std::string>* journal_ = nullptr;
  std::map<Op, std::vector<Fault>> faults_;
};

}  // namespace testing_support
