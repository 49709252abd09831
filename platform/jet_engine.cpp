#include "platform/jet_engine.h"

#include "jet/engine.h"

namespace platform {
namespace {

RunError fromJet(const jet::Error& e) { return RunError{e.number(), e.description()}; }

// The Linux path of a database name. A name that leads nowhere (a drive that
// does not exist) is, for the engine, a database that does not exist.
RunResult<std::filesystem::path> databasePath(const DriveMap& drives, std::string_view name) {
  RunResult<std::filesystem::path> path = drives.resolve(name);
  if (!path) return fromJet(jet::Error::notFound(name));
  return path;
}

}  // namespace

RunStatus JetEngine::repairDatabase(std::string_view name) {
  RunResult<std::filesystem::path> path = databasePath(drives_, name);
  if (!path) return path.error();
  if (jet::Status s = jet::repairDatabase(*path); !s) return fromJet(s.error());
  return {};
}

RunStatus JetEngine::compactDatabase(std::string_view source, std::string_view destination) {
  RunResult<std::filesystem::path> from = databasePath(drives_, source);
  if (!from) return from.error();
  RunResult<std::filesystem::path> to = databasePath(drives_, destination);
  if (!to) return to.error();
  if (jet::Status s = jet::compactDatabase(*from, *to); !s) return fromJet(s.error());
  return {};
}

}  // namespace platform
