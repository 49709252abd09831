// The lock file beside a database, found the same way on every system.
#include "jet/io/file_lock.h"

#include <algorithm>
#include <cctype>
#include <string>

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

}  // namespace jet
