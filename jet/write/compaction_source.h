// What a compaction copies: the input side of the compactor.
//
// The compactor (compactor.h) writes a new database from a CompactionSource and
// from nothing else: the header settings, the tables (system tables included)
// with their definitions, and each table's rows with their long values whole.
// Every page of the new file is laid out anew and every index is rebuilt from
// the rows, so a source never hands over pages, index entries or usage maps;
// only the keys of the indexes whose keys the engine does not make (text in a
// national sort order) come from the source, row by row (carriedKeys).
//
// Sources:
//   - DatabaseSource (database_source.h) reads a healthy database through
//     jet/model; damage makes it fail with 3343;
//   - the repair builds its own from what it could read of a damaged file
//     (tables found by definition or by scanning pages, the rows that still
//     decode, partial long values);
//   - ExtraTablesSource (extra_tables_source.h) adds tables and their rows to
//     any source, with their catalog rows (the repair's MSysCompactError).
//
// Object ids. A table's catalog Id is the page of its definition, so it
// changes with the new layout. Each SourceTable carries the id its source uses
// for it (`sourceId`); the compactor gives each table its new definition page
// and replaces that id wherever the file refers to a table by id:
//   - MSysObjects: Id and ParentId;
//   - MSysACEs: ObjectId;
//   - table definitions: the other table of a relationship's logical index
//     (LogicalIndexDef::relTablePage).
// A value there that is no table's sourceId passes unchanged: the other
// objects' ids (queries, forms, containers: catalog_id::kRootContainer and up, or negative)
// are not page numbers. A table that has no id in its source (found by
// scanning, or added) takes any id below 0x01000000 that no other table and
// no catalog row uses, and its MSysObjects row carries that id.
//
// Values. RowStream::values() is parallel to the definition's columns: NULL
// (std::monostate) or the column type's alternative of jet::Value: Text for
// Text and Memo (bytes as stored, never converted), Binary for Binary, OLE
// Object and types unknown to Jet 3, bool for Yes/No, and so on. Long values
// are whole: the compactor stores them again (inline, on one long-value row or
// chained), as it stores every value, byte for byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "jet/core/result.h"
#include "jet/format/header_page.h"
#include "jet/format/table_definition.h"
#include "jet/format/value.h"

namespace jet {

// The database-wide settings the new file's header page carries.
struct SourceSettings {
  // Code page, sort order, database key (non-zero: the new file is encrypted
  // with the same key), password, creation date.
  HeaderPage header;
  // Page 0 of the source as stored (kPageSize bytes, masked), when it could
  // be read: the bytes of it that no field of `header` names are carried over
  // unchanged. Empty: those bytes are the ones Access 97 writes in a new file.
  std::vector<std::byte> headerPage;
};

// One table of the new file.
struct SourceTable {
  // The table's name in the catalog (bytes in the database's code page). The
  // compactor finds MSysObjects and MSysACEs by name; other names only label
  // errors.
  std::string name;
  // The id the source's catalog rows and references use for this table (see
  // above). Unique among the tables of a source.
  std::int32_t sourceId = 0;
  // Columns and indexes as they are to be kept, in their stored order. The
  // compactor lays the columns out anew (numbers, variable-column indexes and
  // fixed offsets are recomputed; the bytes of deleted columns are gone) and
  // ignores every field that names pages or counts rows: pages, usageMap,
  // freeMap, rowCount, RealIndexDef::usageMap, firstPage and statistics.
  // A column is stored in the fixed part of rows iff column_block::kFixedFlag
  // is set (Access stores some Long columns of system tables as variable).
  // TableDefinition::autoNumber is kept for tables without an AutoNumber
  // column; for the others it becomes the highest value left in the table.
  TableDefinition definition;
};

// How the writer stores a row. Every source gives kLive but the generator's,
// which makes the deleted and moved rows that a database in use holds.
enum class RowFate : std::uint8_t {
  kLive,
  // Stored, then deleted as Access deletes a row: its slot and the rows of
  // its long values flagged deleted, no index entry, not counted.
  kDeleted,
  // Stored as Access stores a row that an update moved: its body on another
  // page, and in its place a pointer to it, where its index entries point.
  kMoved,
};

// The rows of one table, in the order the source holds them. The compactor
// writes them in that order, or in primary-key order when the table has a
// primary key.
class RowStream {
 public:
  virtual ~RowStream() = default;
  // Moves to the next row; false at the end. An error stops the compaction
  // (a salvaging source reports damage its own way and goes on instead).
  virtual Result<bool> next() = 0;
  // The current row's values, parallel to SourceTable::definition.columns.
  // Valid until the next call to next().
  virtual const std::vector<Value>& values() const = 0;
  // How the current row is to be stored.
  virtual RowFate fate() const { return RowFate::kLive; }
  // True when the rows come in the order of the table's primary key (keys
  // strictly ascending): the compactor then writes them as they come instead
  // of sorting them, and fails with 3343 if the order breaks.
  virtual bool primaryKeyOrder() const { return false; }
  // The keys Access stored for the current row in the indexes whose keys the
  // engine does not make (carried_keys.h), parallel to the definition's
  // realIndexes: nullopt where the row has no entry or the index is not
  // carried. Empty when the source has none to give: the writer then refuses
  // a table with a carried index rather than make its keys.
  virtual std::span<const std::optional<std::vector<std::byte>>> carriedKeys() const {
    return {};
  }
};

class CompactionSource {
 public:
  virtual ~CompactionSource() = default;

  virtual const SourceSettings& settings() const = 0;
  // Every table of the new file, system tables included, MSysObjects first.
  // The new file places the table definitions in this order.
  virtual const std::vector<SourceTable>& tables() const = 0;
  // A stream over the rows of tables()[table]. The compactor asks for each
  // table once, in the order of tables(), and reads the stream to its end
  // before asking for the next. A table past the list is refused.
  virtual Result<std::unique_ptr<RowStream>> rows(std::size_t table) = 0;
};

}  // namespace jet
