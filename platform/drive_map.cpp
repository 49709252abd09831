#include "platform/drive_map.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>

#include "platform/text.h"
#include "platform/windows_name.h"

namespace fs = std::filesystem;

namespace platform {
namespace {

fs::path canonicalOrSame(const fs::path& p) {
  std::error_code ec;
  fs::path c = fs::weakly_canonical(p, ec);
  return ec ? p.lexically_normal() : c;
}

// The parts of `p` below `root`, or false when `p` is not inside it.
bool partsBelow(const fs::path& root, const fs::path& p, std::vector<std::string>& parts) {
  auto r = root.begin(), i = p.begin();
  for (; r != root.end(); ++r, ++i) {
    if (r->empty()) continue;  // a trailing separator of the root
    if (i == p.end() || *r != *i) return false;
  }
  parts.clear();
  for (; i != p.end(); ++i) {
    if (!i->empty() && *i != ".") parts.push_back(i->string());
  }
  return true;
}

fs::path homeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return "/";
}

}  // namespace

DriveMap::DriveMap(Roots roots, const fs::path& workingFolder) {
  for (auto& [letter, root] : roots) roots_[letter] = canonicalOrSame(root);
  const fs::path cwd = canonicalOrSame(workingFolder);
  std::size_t best = 0;
  for (const auto& [letter, root] : roots_) {
    folders_[letter] = {};
    std::vector<std::string> parts;
    const std::size_t depth = std::distance(root.begin(), root.end());
    if (partsBelow(root, cwd, parts) && (current_ == 0 || depth > best)) {
      current_ = letter;
      best = depth;
      folders_[letter] = parts;
    }
  }
  // A working folder outside every drive: the first drive, at its root.
  if (current_ == 0 && !roots_.empty()) current_ = roots_.begin()->first;
  for (auto& [letter, parts] : folders_) {
    if (letter != current_) parts.clear();
  }
}

DriveMap DriveMap::forThisProcess() {
  std::error_code ec;
  fs::path cwd = fs::current_path(ec);
  if (ec) cwd = homeFolder();
  return DriveMap({{'C', homeFolder()}, {kLinuxRootDrive, "/"}}, cwd);
}

std::string DriveMap::currentFolder() const {
  auto it = folders_.find(current_);
  return joinWindowsFolder(current_, it == folders_.end() ? std::vector<std::string>{}
                                                          : it->second);
}

RunStatus DriveMap::setCurrentDrive(std::string_view drive) {
  const char letter = drive.empty() ? 0 : static_cast<char>(upperCase(drive.substr(0, 1))[0]);
  if (!roots_.contains(letter)) return RunError::numbered(errnum::kDeviceUnavailable);
  current_ = letter;
  return {};
}

fs::path DriveMap::currentRoot() const {
  auto it = roots_.find(current_);
  return it == roots_.end() ? fs::path("/") : it->second;
}

std::string DriveMap::matchEntry(const fs::path& folder, const std::string& part, bool& found) {
  std::error_code ec;
  found = true;
  if (fs::exists(fs::symlink_status(folder / part, ec))) return part;
  found = false;
  std::string best;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    if (equalIgnoringCase(name, part) && (!found || name < best)) {
      best = std::move(name);
      found = true;
    }
  }
  return found ? best : part;
}

RunResult<LinuxPlace> DriveMap::locate(std::string_view name) const {
  if (name.empty()) return RunError::numbered(errnum::kBadFileName);
  const WindowsName parsed = parseWindowsName(name);
  const char letter = parsed.drive ? parsed.drive : current_;
  auto root = roots_.find(letter);
  if (root == roots_.end()) return RunError::numbered(errnum::kDeviceUnavailable);
  std::vector<std::string> parts = parsed.partsFromRoot(folders_.at(letter));
  LinuxPlace place;
  if (!parsed.endsWithSeparator && !parts.empty()) {
    place.lastPart = parts.back();
    parts.pop_back();
  }
  place.folder = root->second;
  place.folderExists = true;
  for (const std::string& part : parts) {
    bool found = false;
    place.folder /= place.folderExists ? matchEntry(place.folder, part, found) : part;
    place.folderExists = found;
  }
  std::error_code ec;
  place.folderExists = place.folderExists && fs::is_directory(place.folder, ec);
  return place;
}

RunResult<fs::path> DriveMap::resolve(std::string_view name) const {
  RunResult<LinuxPlace> place = locate(name);
  if (!place) return place.error();
  if (place->lastPart.empty() || !place->folderExists) return place->folder / place->lastPart;
  bool found = false;
  return place->folder / matchEntry(place->folder, place->lastPart, found);
}

std::string DriveMap::windowsName(const fs::path& linuxPath) const {
  const fs::path p = linuxPath.lexically_normal();
  char bestLetter = 0;
  std::size_t best = 0;
  std::vector<std::string> bestParts, parts;
  for (const auto& [letter, root] : roots_) {
    const std::size_t depth = std::distance(root.begin(), root.end());
    if (partsBelow(root, p, parts) && (bestLetter == 0 || depth > best)) {
      bestLetter = letter;
      best = depth;
      bestParts = parts;
    }
  }
  if (bestLetter == 0) return p.string();
  return joinWindowsFolder(bestLetter, bestParts);
}

}  // namespace platform
