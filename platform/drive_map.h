// The drives of Windows names on Linux, as Wine arranges them.
//
// Drive C: is the user's home folder and drive Z: the root of the whole file
// tree; other letters do not exist. The table is a parameter so that tests
// put their drives in temporary folders. Each drive has its own current
// folder, as on Windows: the current drive is the one holding the process's
// folder at start (C: inside the home folder, Z: elsewhere), its current
// folder that folder; every other drive starts at its root. Nothing here
// changes the process's own working folder.
//
// Names are matched the Windows way on a case-sensitive file system: in each
// folder an entry with the exact name is taken, else the first (in byte
// order) whose name differs only in letter case, else the name as given (a
// file about to be created).
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/run_status.h"

namespace platform {

// Where a Windows name lies on Linux: its folder, and its last part.
struct LinuxPlace {
  std::filesystem::path folder;  // resolved as far as it exists
  std::string lastPart;          // as typed; empty for "C:\DATOS\" or a drive root
  bool folderExists = false;     // every folder of the name was found
};

class DriveMap {
 public:
  using Roots = std::map<char, std::filesystem::path>;

  // Requires: letters of `roots` are upper case. `workingFolder` is the
  // process's folder at start, a Linux path.
  DriveMap(Roots roots, const std::filesystem::path& workingFolder);
  // C: the home folder, Z: "/", and the process's working folder.
  static DriveMap forThisProcess();

  char currentDrive() const { return current_; }
  // The current folder written the Windows way, such as "C:\KEL".
  std::string currentFolder() const;
  // `drive` such as "C:" or "c:\x": its first character names the drive.
  // 68 (device unavailable) when no such drive exists.
  RunStatus setCurrentDrive(std::string_view drive);
  // The Linux folder at the root of the current drive.
  std::filesystem::path currentRoot() const;

  // The folder and last part of `name`. 68 when the name's drive does not
  // exist, 52 when the name is empty.
  RunResult<LinuxPlace> locate(std::string_view name) const;
  // The Linux path of `name`, its last part matched like the folders.
  RunResult<std::filesystem::path> resolve(std::string_view name) const;
  // The Windows name of a Linux path, on the drive with the longest root
  // that holds it, such as "C:\kel\kel01.mdb".
  std::string windowsName(const std::filesystem::path& linuxPath) const;

 private:
  // The entry of `folder` matching `part` as described above, or `part`.
  static std::string matchEntry(const std::filesystem::path& folder, const std::string& part,
                                bool& found);

  Roots roots_;
  std::map<char, std::vector<std::string>> folders_;  // each drive's current folder
  char current_ = 0;
};

}  // namespace platform
