#include "tests/support/temp_drives.h"

#include <algorithm>

#include "platform/text.h"
#include "platform/windows_name.h"

namespace testing_support {

namespace fs = std::filesystem;
using platform::RunError;
using platform::RunStatus;

namespace {

// Drives C: and Z: in `dir`, the current folder (on C:) made first.
platform::DriveMap drivesIn(const TempDir& dir, std::string_view currentFolder) {
  fs::path folder = dir / "c";
  for (const std::string& part : platform::parseWindowsName(currentFolder).parts) folder /= part;
  fs::create_directories(folder);
  fs::create_directories(dir / "z");
  return platform::DriveMap({{'C', dir / "c"}, {'Z', dir / "z"}}, folder);
}

}  // namespace

TempDrives::TempDrives(std::string_view currentFolder)
    : drives_(drivesIn(dir_, currentFolder)) {}

fs::path TempDrives::path(std::string_view name) const {
  auto p = drives_.resolve(name);
  return p ? *p : fs::path();
}

void TempDrives::addFolder(std::string_view name) { fs::create_directories(path(name)); }

void TempDrives::addFile(std::string_view name, const std::string& bytes) {
  writeFile(path(name), bytes);
}

std::optional<std::string> TempDrives::contents(std::string_view name) const {
  const fs::path p = path(name);
  if (p.empty() || !fs::is_regular_file(fs::symlink_status(p))) return std::nullopt;
  return readFile(p);
}

std::vector<std::string> TempDrives::files() const {
  std::vector<std::string> out;
  for (const auto& e : fs::recursive_directory_iterator(fs::canonical(dir_.path()))) {
    if (e.is_regular_file() && !e.is_symlink()) out.push_back(drives_.windowsName(e.path()));
  }
  std::sort(out.begin(), out.end(), [](const std::string& a, const std::string& b) {
    return platform::upperCase(a) < platform::upperCase(b);
  });
  return out;
}

void TempDrives::failNth(Op op, int nth, RunError error) {
  faults_[op].push_back(Fault{nth, std::move(error)});
}

const RunError* TempDrives::call(Op op, const std::string& line) {
  if (journal_) journal_->push_back(line);
  const RunError* hit = nullptr;
  for (Fault& f : faults_[op]) if (--f.remaining == 0) hit = &f.error;
  return hit;
}

bool TempDrives::ordinaryFileExists(std::string_view pattern) {
  if (call(Op::Exists, "exists " + std::string(pattern))) return false;
  return files_.ordinaryFileExists(pattern);
}

RunStatus TempDrives::remove(std::string_view name) {
  if (const RunError* e = call(Op::Remove, "remove " + std::string(name))) return *e;
  return files_.remove(name);
}

RunStatus TempDrives::rename(std::string_view from, std::string_view to) {
  const std::string line = "rename " + std::string(from) + " > " + std::string(to);
  if (const RunError* e = call(Op::Rename, line)) return *e;
  return files_.rename(from, to);
}

RunStatus TempDrives::renameExact(std::string_view from, std::string_view to) {
  const std::string line = "rename " + std::string(from) + " > " + std::string(to);
  if (const RunError* e = call(Op::Rename, line)) return *e;
  return files_.renameExact(from, to);
}

bool TempDrives::isSymbolicLink(std::string_view name) {
  call(Op::Exists, "link " + std::string(name));
  return files_.isSymbolicLink(name);
}

RunStatus TempDrives::flush(std::string_view name) {
  if (const RunError* e = call(Op::Flush, "flush " + std::string(name))) return *e;
  return files_.flush(name);
}

platform::RunResult<std::string> TempDrives::nameOnDisk(std::string_view name) {
  if (const RunError* e = call(Op::NameOnDisk, "name " + std::string(name))) return *e;
  return files_.nameOnDisk(name);
}

platform::RunResult<std::unique_ptr<platform::FileLock>> TempDrives::lockExclusive(std::string_view name) {
  if (const RunError* e = call(Op::Lock, "lock " + std::string(name))) return *e;
  return files_.lockExclusive(name);
}

}  // namespace testing_support
