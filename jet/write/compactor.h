// The compactor: writes a new database from a CompactionSource.
//
//   auto db = Database::open(source);                  // shared, read-only
//   auto input = DatabaseSource::open(**db);
//   Status s = compact(**input, destination);
//
// The destination must not exist (3204, nothing touched). It is written under
// a temporary name in its own folder, flushed to disk and renamed into place,
// and the folder is flushed: a crash leaves no destination or a complete one,
// and a failure leaves nothing of ours behind and returns the numbered error.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>

#include "jet/core/result.h"
#include "jet/io/file_system.h"
#include "jet/write/compaction_source.h"

namespace jet {

struct CompactOptions {
  // Memory for sorting rows into primary-key order (a third) and index
  // entries into key order (half), as both sorts may be full at once (rows
  // that fit in memory are written from it while their entries gather);
  // beyond it, sorted runs go to temporary files. Only rows that do not come
  // in key order, a repaired table's, are sorted.
  std::size_t sortMemory = std::size_t{48} << 20;
  // Creates, writes, flushes and names the destination, and makes the
  // scratch files of sorted runs beyond sortMemory; nullptr: the machine's.
  FileSystem* fileSystem = nullptr;
  // Run on the complete file before it takes the destination's name; a
  // failure is the compaction's, and the file is removed. Empty: none.
  std::function<Status(const std::filesystem::path&)> verify;
};

Status compact(CompactionSource& source, const std::filesystem::path& destination,
               const CompactOptions& options = {});

}  // namespace jet
