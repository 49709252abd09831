#include "jet/engine.h"

#include <system_error>

#include "jet/check/checker.h"
#include "jet/model/database.h"
#include "jet/rebuild/repair.h"
#include "jet/write/compactor.h"
#include "jet/write/database_source.h"

namespace jet {

Status repairDatabase(const std::filesystem::path& database) {
  JET_TRY(RepairReport report, repair(database));
  (void)report;
  return okStatus();
}

// 1. The destination must not exist (3204; it is not touched).
// 2. The source is opened read-only under our shared lock: 3044, 3049, 3000
//    when another process has it open, 3031 with a password not given.
// 3. Its catalog and definitions are read (damage: 3343), and the compactor
//    writes the destination (compactor.h).
// 4. The written file is checked whole before it takes the destination's
//    name: a damaged source can give rows that no sound file holds (a key
//    repeated in a unique index, ...), and then the compaction fails with
//    3343 and leaves nothing behind. A compaction publishes a clean file or
//    none.
Status compactDatabase(const std::filesystem::path& source,
                       const std::filesystem::path& destination) {
  return compactDatabase(source, destination, {});
}

Status compactDatabase(const std::filesystem::path& source,
                       const std::filesystem::path& destination, std::string_view password) {
  std::error_code ec;
  if (std::filesystem::exists(std::filesystem::symlink_status(destination, ec))) {
    return Error::alreadyExists(destination.string());
  }
  JET_TRY(std::unique_ptr<Database> db, Database::open(source, Database::Access::kRead, password));
  CompactOptions compactOptions;
  DatabaseSourceOptions options;
  options.scratchFolder = destination.parent_path().empty() ? "." : destination.parent_path();
  // Its sort of the keys takes the place of the compaction's sort of the rows.
  options.sortMemory = compactOptions.sortMemory / 2;
  JET_TRY(std::unique_ptr<DatabaseSource> input, DatabaseSource::open(*db, options));
  compactOptions.verify = [password](const std::filesystem::path& written) {
    return requireClean(written, "la base de datos compactada", password);
  };
  return compact(*input, destination, compactOptions);
}

}  // namespace jet
