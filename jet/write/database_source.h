// The compaction source of a healthy database: everything read through
// jet/model (compaction_source.h).
//
//   auto db = Database::open(path);               // shared lock, read-only
//   auto source = DatabaseSource::open(**db);     // reads the catalog and definitions
//   Status s = compact(*source, destination);     // compactor.h
//
// The tables are every local table of the catalog, system tables included,
// in the order of their definition pages (MSysObjects, on page 2, first); each
// keeps its definition page as its sourceId. Rows come in physical order (a
// moved row where its first slot is), long values whole. Any damage met makes
// open() or the row stream fail with 3343: a damaged database is the repair's
// business, never compacted silently.
#pragma once

#include <memory>

#include "jet/model/database.h"
#include "jet/write/compaction_source.h"

namespace jet {

class DatabaseSource final : public CompactionSource {
 public:
  // Requires: `db` outlives the source.
  static Result<std::unique_ptr<DatabaseSource>> open(const Database& db);

  const SourceSettings& settings() const override { return settings_; }
  const std::vector<SourceTable>& tables() const override { return tables_; }
  Result<std::unique_ptr<RowStream>> rows(std::size_t table) override;

 private:
  explicit DatabaseSource(const Database& db) : db_(&db) {}

  const Database* db_;
  SourceSettings settings_;
  std::vector<SourceTable> tables_;
};

}  // namespace jet
