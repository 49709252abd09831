// The compaction source of a healthy database: everything read through
// jet/model (compaction_source.h).
//
//   auto db = Database::open(path);               // shared lock, read-only
//   auto source = DatabaseSource::open(**db);     // reads the catalog and definitions
//   Status s = compact(*source, destination);     // compactor.h
//
// The tables are every local table of the catalog, system tables included,
// in the order of their definition pages (MSysObjects, on page 2, first); each
// keeps its definition page as its sourceId. Rows come with their long values
// whole: in physical order (a moved row where its first slot is), or, for a
// table with a primary key, in the key's order. For that a first pass reads
// only the key columns (no long value) and sorts (key, row place) records,
// small ones, which a second pass follows to read whole rows; when the
// physical order already is the key's, as in a compacted file, the second
// pass just reads on. Any damage met makes open() or the row stream fail with
// 3343: a damaged database is the repair's business, never compacted
// silently.
#pragma once

#include <filesystem>
#include <memory>

#include "jet/io/file_system.h"
#include "jet/model/database.h"
#include "jet/write/compaction_source.h"

namespace jet {

struct DatabaseSourceOptions {
  // Where the key sort may write its runs (the destination's folder), and
  // the memory it may hold.
  std::filesystem::path scratchFolder = std::filesystem::temp_directory_path();
  FileSystem* fileSystem = &localFileSystem();  // makes the scratch file there
  std::size_t sortMemory = std::size_t{32} << 20;
};

class DatabaseSource final : public CompactionSource {
 public:
  // Requires: `db` outlives the source.
  static Result<std::unique_ptr<DatabaseSource>> open(const Database& db,
                                                      DatabaseSourceOptions options = {});

  const SourceSettings& settings() const override { return settings_; }
  const std::vector<SourceTable>& tables() const override { return tables_; }
  Result<std::unique_ptr<RowStream>> rows(std::size_t table) override;

 private:
  explicit DatabaseSource(const Database& db, DatabaseSourceOptions options)
      : db_(&db), options_(std::move(options)) {}

  const Database* db_;
  DatabaseSourceOptions options_;
  SourceSettings settings_;
  std::vector<SourceTable> tables_;
};

}  // namespace jet
