// What the locks do the same way on every system: the lock file beside a
// database, the order of the checks, and the lock's ownership. How a lock is
// seen and taken is in file_lock_posix.cpp and file_lock_win32.cpp.
#include "jet/io/file_lock.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "jet/io/path_text.h"

namespace jet {
namespace {

bool sameIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
           return std::tolower(x) == std::tolower(y);
         });
}

}  // namespace

std::filesystem::path findLockFile(const std::filesystem::path& database) {
  std::filesystem::path folder = database.parent_path();
  if (folder.empty()) folder = ".";
  const std::string wanted = database.stem().string() + ".ldb";
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    if (sameIgnoringCase(entry.path().filename().string(), wanted)) return entry.path();
  }
  return {};
}

Status checkNotInUse(const File& file) {
  JET_TRY(bool locked, foreignLockHeld(file));
  if (locked) return Error::inUse(utf8Of(file.path()));
  const std::filesystem::path ldb = findLockFile(file.path());
  if (ldb.empty()) return okStatus();
  JET_TRY(bool ldbHeld, lockFileHeld(ldb));
  if (ldbHeld) return Error::inUse(utf8Of(file.path()));
  return okStatus();
}

OperationLock::~OperationLock() { release(); }

OperationLock& OperationLock::operator=(OperationLock&& other) noexcept {
  if (this != &other) {
    release();
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

}  // namespace jet
