// The file system of the window's logic over Linux: Windows names resolved
// through the drive map, errno turned into Windows numbers.
#pragma once

#include "platform/drive_map.h"
#include "platform/files.h"

namespace platform {

class LinuxFileSystem : public Files {
 public:
  // `drives` is shared with the other adapters and must outlive this object.
  explicit LinuxFileSystem(DriveMap& drives) : drives_(drives) {}

  std::string currentFolder() const override { return drives_.currentFolder(); }
  RunStatus setCurrentDrive(std::string_view drive) override { return drives_.setCurrentDrive(drive); }
  bool ordinaryFileExists(std::string_view pattern) override;
  RunStatus remove(std::string_view name) override;
  RunStatus rename(std::string_view from, std::string_view to) override;
  RunStatus renameExact(std::string_view from, std::string_view to) override;
  bool isSymbolicLink(std::string_view name) override;
  RunResult<std::int64_t> fileLength(std::string_view name) override;
  RunStatus flush(std::string_view name) override;
  RunResult<std::string> nameOnDisk(std::string_view name) override;
  RunResult<std::unique_ptr<FileLock>> lockExclusive(std::string_view name) override;

 private:
  // Moves the file `from` names to the Linux path `target`.
  RunStatus move(std::string_view from, const std::filesystem::path& target);

  DriveMap& drives_;
};

}  // namespace platform
