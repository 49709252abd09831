#include "jet/engine.h"

namespace jet {

// Placeholders until the writer and the repair land: they refuse to act rather
// than pretend to succeed.
Status repairDatabase(const std::filesystem::path& database) {
  return Error(errc::kInvalidArgument, database.string());
}

Status compactDatabase(const std::filesystem::path& source, const std::filesystem::path&) {
  return Error(errc::kInvalidArgument, source.string());
}

}  // namespace jet
