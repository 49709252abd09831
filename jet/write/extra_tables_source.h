// A compaction source with more than another one: tables added after the
// other's tables, and rows added to the other's tables (compaction_source.h).
//
// The repair uses it to put MSysCompactError into the database it rebuilds:
//
//   ExtraTablesSource source(salvaged);
//   SourceTable errors{"MSysCompactError", source.unusedId(), definition};
//   JET_CHECK(source.addTable(std::move(errors), rows, DateTime{now}));
//   JET_CHECK(compact(source, destination));
//
// addTable also appends the table's catalog row to MSysObjects (catalogRow).
// Rows added to an existing table (appendRows, e.g. MSysACEs rows that grant
// permissions on an added table, as Access gives each user table three: see
// new_database.h) come after that table's own rows. Rows given as vectors are
// held in memory: that is for small tables; a large one comes through a
// RowStreamFactory (the generator's tables).
#pragma once

#include <functional>
#include <map>
#include <string_view>

#include "jet/write/compaction_source.h"

namespace jet {

// Makes a fresh stream over an added table's rows.
using RowStreamFactory = std::function<Result<std::unique_ptr<RowStream>>()>;
// Makes the keys of an added row (its values) for the indexes whose keys the
// engine does not make, per real index (RowStream::carriedKeys).
using AddedRowKeys = std::function<Result<std::vector<std::optional<std::vector<std::byte>>>>(
    const std::vector<Value>&)>;

class ExtraTablesSource final : public CompactionSource {
 public:
  // Requires: `base` outlives this source.
  explicit ExtraTablesSource(CompactionSource& base);

  // An id no table of the source uses yet, for a table to add.
  std::int32_t unusedId() const;

  // Adds `table` after the others, with `rows` (each parallel to its
  // columns), and appends its catalog row, dated `created`. Fails (3001) when
  // the name or the id is taken or a row has the wrong number of values.
  Status addTable(SourceTable table, std::vector<std::vector<Value>> rows, DateTime created);
  // The same with rows made as they are read. Their count is not checked.
  Status addStreamedTable(SourceTable table, RowStreamFactory rows, DateTime created);

  // Appends `rows` to the table named `table` (compared without regard to
  // ASCII case). Fails with 3078 when there is no such table, 3001 when a row
  // has the wrong number of values.
  Status appendRows(std::string_view table, std::vector<std::vector<Value>> rows);
  // The rows appended to the table named `table` take their carried keys
  // from `keys`; without it, a table with such an index cannot take them
  // (the compaction fails). 3078 when there is no such table.
  Status keyAppendedRows(std::string_view table, AddedRowKeys keys);

  // The MSysObjects row of a local user table: Id, ParentId (the tables
  // container), Name, Type 1, DateCreate and DateUpdate, Owner and Flags as
  // Access writes them for a user table; every other column NULL. Fails with
  // 3343 when MSysObjects lacks one of those columns.
  Result<std::vector<Value>> catalogRow(const SourceTable& table, DateTime created) const;

  const SourceSettings& settings() const override { return base_->settings(); }
  const std::vector<SourceTable>& tables() const override { return tables_; }
  Result<std::unique_ptr<RowStream>> rows(std::size_t table) override;

 private:
  std::size_t find(std::string_view name) const;  // tables_.size() when absent

  CompactionSource* base_;
  std::vector<SourceTable> tables_;
  std::size_t baseCount_;
  Status checkNew(const SourceTable& table) const;

  // Rows added to each table, by position in tables_.
  std::map<std::size_t, std::vector<std::vector<Value>>> added_;
  // Streams of the tables added with a factory, by position in tables_.
  std::map<std::size_t, RowStreamFactory> factories_;
  // Keys of the rows appended, by position in tables_.
  std::map<std::size_t, AddedRowKeys> keys_;
};

}  // namespace jet
