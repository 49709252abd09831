// New databases: an empty Access 97 database with its system tables as
// Access creates them (new_database_catalog.h), written by the compactor.
//
// A new database is the compaction of a built-in source: the system tables'
// definitions and rows; their ids become their definition pages as in any
// compaction. The generator adds its tables to that same source.
#pragma once

#include <filesystem>
#include <memory>

#include "jet/core/result.h"
#include "jet/write/compaction_source.h"

namespace jet {

// The source of a new database whose system objects are dated `created`.
std::unique_ptr<CompactionSource> newDatabaseSource(DateTime created);

// The MSysACEs rows Access gives a table a user creates (three permission
// entries), for the table whose id in a source is `id`.
std::vector<std::vector<Value>> userTableAces(std::int32_t id);

// Writes a new, empty database to `path`, which must not exist (3204).
Status createDatabase(const std::filesystem::path& path, DateTime created);

// Now as Access dates things: days since 1899-12-30, local time.
DateTime currentDateTime();

}  // namespace jet
