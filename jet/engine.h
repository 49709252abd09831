// The engine's two whole-file operations, the ones the repair window uses.
//
// Both fail with a numbered jet::Error: 3000 when another process has the
// database open, 3044 when it does not exist, 3049 when it is not an Access 97
// database; compactDatabase fails with 3204 when the destination exists.
#pragma once

#include <filesystem>
#include <string_view>

#include "jet/core/result.h"

namespace jet {

// Repairs `database` in place. A healthy database is left byte for byte as it
// was; a damaged one is rebuilt from everything that can still be read. A
// repair that lost data is still a repair (success): what it lost is listed
// in the repaired database's MSysCompactError and beside it the damaged file
// is kept; jet::repair (jet/rebuild/repair.h) tells a caller what was lost.
Status repairDatabase(const std::filesystem::path& database);

// Writes a compacted copy of `source` to `destination`, a new file; `source`
// is only read. A database with a password opens only with `password`
// (UTF-8; 3031 otherwise, and always without it), and the copy keeps it.
// The copy is checked whole before it takes its name: 3343 when it would not
// check clean (a damaged source), and nothing is left behind.
Status compactDatabase(const std::filesystem::path& source,
                       const std::filesystem::path& destination);
Status compactDatabase(const std::filesystem::path& source,
                       const std::filesystem::path& destination, std::string_view password);

}  // namespace jet
