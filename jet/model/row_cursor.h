// Reading a table's rows in physical order.
//
// The cursor walks the pages of the table's usage map in ascending order and
// the slots of each page in order. It skips deleted slots and the bodies of
// moved rows, and for a moved row (slot flagged 0x4000) reads the body on the
// page it points to, reporting the row at its 0x4000 slot, where indexes point.
// Memory: one page or two and the current row's values.
//
//   RowCursor rows(db, table.definition());
//   while (true) {
//     Result<bool> more = rows.next();
//     if (!more) return more.error();
//     if (!*more) break;
//     use(rows.location(), rows.values());
//   }
//
// Damage: with a DamageSink, a page or row that cannot be read is reported
// there (page, table, row, reason) and skipped, and the walk goes on; without
// one, next() fails with the 3343 error instead. Pages of the map that belong
// to another table or are not data pages are reported the same way.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "jet/core/finding.h"
#include "jet/format/data_page.h"
#include "jet/format/row.h"
#include "jet/format/table_definition.h"
#include "jet/format/usage_map.h"
#include "jet/format/value.h"
#include "jet/model/database.h"

namespace jet {

class RowCursor {
 public:
  // Requires: `db` and `table` outlive the cursor. `tableName` only labels
  // findings.
  RowCursor(const Database& db, const TableDefinition& table, DamageSink* damage = nullptr,
            std::string tableName = {});

  // Moves to the next live row; false at the end.
  Result<bool> next();

  // Reads the row named by slot `at` (a live row, or the slot flagged 0x4000
  // of a moved one) of a page of this table; false when that slot holds no
  // row (deleted, or the body of a moved row). Damage as for next().
  Result<bool> readAt(RowLocation at);

  // Decodes only the columns whose flag is set (by position in the
  // definition); the others read as NULL. Long values of skipped columns are
  // not read at all, which makes a pass over keys cheap. Empty: all columns.
  void selectColumns(std::vector<bool> wanted) { wanted_ = std::move(wanted); }
  // Long values of the columns whose flag is set (by position; empty: none)
  // are followed row by row, with damage and trail as for any other, but
  // their bytes are not kept: they read as NULL. For a pass that checks the
  // chains and needs only some values.
  void followOnly(std::vector<bool> columns) { followOnly_ = std::move(columns); }

  // Where the current row is named: its page and slot (for a moved row, the
  // slot flagged 0x4000).
  RowLocation location() const { return location_; }
  // Where the current row's bytes are (differs from location() for moved rows).
  RowLocation bodyLocation() const { return body_; }
  // The current row's values, parallel to TableDefinition::columns.
  const std::vector<Value>& values() const { return values_; }
  // Rows read so far.
  std::uint64_t count() const { return count_; }

  // Where the current row's long values lie: each long-value row its Memo and
  // OLE fields reached (for a damaged chain, up to the row that failed),
  // with the column's position in TableDefinition::columns. Kept only after
  // trackLongValues(true), for the checker; readers pay nothing otherwise.
  struct LongValueRow {
    std::size_t column = 0;
    RowLocation at;
  };
  void trackLongValues(bool on) { trackLongValues_ = on; }
  const std::vector<LongValueRow>& longValueRows() const { return longValueRows_; }

 private:
  // Reads the current page's next slot; sets `found` when a row was decoded.
  Status step(bool& found);
  // Reads slot `row` of `data`; sets `found` when a row was decoded.
  Status readSlot(const DataPage& data, std::uint16_t row, bool& found);
  Status readRow(ByteView row, std::uint32_t page);
  // Reports `e` (true: go on) or, without a sink, returns it.
  Status damaged(Error e, std::int64_t page, std::int64_t row);
  Value decode(std::size_t column, const FieldBytes& f, std::uint32_t page, Status& status);

  const Database* db_;
  const TableDefinition* table_;
  DamageSink* damage_;
  std::string tableName_;
  std::optional<UsageMapCursor> map_;
  bool mapOpened_ = false;
  bool done_ = false;
  PageRef page_;
  std::optional<DataPage> data_;
  std::uint16_t nextSlot_ = 0;
  RowLocation location_;
  RowLocation body_;
  std::vector<FieldBytes> fields_;
  std::vector<Value> values_;
  std::vector<bool> wanted_;
  std::vector<bool> followOnly_;
  std::uint64_t count_ = 0;
  bool trackLongValues_ = false;
  std::vector<LongValueRow> longValueRows_;
  std::vector<RowLocation> trail_;
};

}  // namespace jet
