// Names typed the Windows way, taken apart before any file system sees them.
//
//   "C:\KEL\KEL01.MDB"  drive C, from its root, folders KEL, file KEL01.MDB
//   "C:KEL01.MDB"       drive C, from its current folder
//   "\BORRAR1.MDB"      the current drive, from its root
//   "/home/ana/kel"     a Linux path: drive Z, from its root
//   "KEL\KEL01.MDB"     the current drive, from its current folder
//
// "\" and "/" both separate folders; empty parts and "." are dropped and ".."
// goes up one folder, never above the drive's root (as on Windows).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct WindowsName {
  char drive = 0;          // upper-case letter, or 0 for the current drive
  bool fromRoot = false;   // the parts start at the drive's root
  std::vector<std::string> parts;
  bool endsWithSeparator = false;  // "C:\DATOS\": no last part to match

  // Requires: `folderParts` is the drive's current folder, from its root.
  // The parts of the name from the drive's root, ".." applied.
  std::vector<std::string> partsFromRoot(const std::vector<std::string>& folderParts) const;
};

// The drive letter of a Linux path given without one.
inline constexpr char kLinuxRootDrive = 'Z';

WindowsName parseWindowsName(std::string_view name);

// True iff `name` matches the pattern `pattern`, letter case ignored: "*"
// stands for any run of characters, "?" for exactly one. A pattern that ends
// in ".*" also matches the name without any extension ("KEL01.*" matches
// "KEL01"), as on Windows.
bool matchesWildcard(std::string_view pattern, std::string_view name);

// The parts of a folder written "C:\KEL\DATOS" or "C:\" after its drive.
std::string joinWindowsFolder(char drive, const std::vector<std::string>& parts);

}  // namespace platform
