// Reading the rows of a table of a damaged database: every row that can still
// be read, and nothing that is not a row.
//
// The cursor walks the table's data pages (SalvagedTable::pages) in order and
// the slots of each page, as RowCursor does, but it trusts nothing:
//   - a page or slot that cannot be read loses its rows, and says so;
//   - bytes that split into fields must also be shaped like a row of this
//     table (row_plausibility.h), or they are not taken for one;
//   - a moved row is followed only to a page of the same table, to a slot
//     that is a moved row's body, and each body is read once;
//   - a long value keeps what can be read of it (long_value_salvage.h);
//   - a value Jet would refuse (value_check.h) is left NULL, and the value
//     found is put in the problem's description;
//   - a row a torn page repeats from another page of the table is read only
//     there (torn_page.h).
// Given a table to set rows aside in (setAsideIn), the rows it doubts (bytes
// that split into fields but are not shaped like a row of the table, and the
// rows a torn page repeats) are not dropped: they are read as they split and
// returned with setAside() true, for that table; nothing readable is lost.
// Every loss is a problem in the ProblemList, with the table, page and row.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "jet/format/data_page.h"
#include "jet/format/row.h"
#include "jet/format/value.h"
#include "jet/model/text.h"
#include "jet/model/torn_page.h"
#include "jet/salvage/page_census.h"
#include "jet/salvage/problem.h"
#include "jet/salvage/salvaged_table.h"

namespace jet {

class SalvageRowCursor {
 public:
  // Requires: every argument outlives the cursor. `codePage` is the
  // database's (for the limits of text columns and for descriptions).
  SalvageRowCursor(const PageSource& pages, const PageCensus& census, const SalvagedTable& table,
                   std::uint16_t codePage, ProblemList& problems);

  // Moves to the next row that could be read; false at the end. Fails only
  // on an I/O error.
  Result<bool> next();

  // The current row's values, parallel to the definition's columns.
  const std::vector<Value>& values() const { return values_; }
  // Where the row is named (the 0x4000 slot of a moved row).
  RowLocation location() const { return location_; }
  std::uint64_t count() const { return count_; }
  // True iff the current row lost a value or part of one (each loss is a
  // problem).
  bool altered() const { return altered_; }
  // Rows the cursor doubts are returned, set aside, for the table named
  // `name` (UTF-8, for the problems' descriptions); empty: they are dropped.
  void setAsideIn(std::string name) { setAsideIn_ = std::move(name); }
  // True iff the current row is one the cursor doubts (see above).
  bool setAside() const { return setAside_; }

 private:
  // Moves to the next page that decodes; false after the last.
  Result<bool> nextPage();
  // Reads slot `row` of the current page; `found` is set when a row was read.
  Status step(std::uint16_t row, bool& found);
  // Decodes the bytes of one row; false (and a problem) when they are not a
  // row. `copyOf`: the page a torn page repeats the row from, if it does.
  Result<bool> readRow(ByteView bytes, RowLocation body,
                       std::optional<std::uint32_t> copyOf = std::nullopt);
  Result<Value> decode(const ColumnDef& c, const FieldBytes& f, RowLocation body);
  void problem(int code, std::int64_t page, std::int64_t row, std::string message,
               Loss loss = Loss::kNone);

  const PageSource& pages_;
  const PageCensus& census_;
  const SalvagedTable& table_;
  ProblemList& problems_;
  TextDecoder text_;
  bool doubleByte_;
  std::size_t nextPage_ = 0;
  PageRef page_;
  std::optional<DataPage> data_;
  std::uint16_t nextSlot_ = 0;
  std::unordered_set<std::uint32_t> bodiesRead_;
  TornPageGuard torn_;
  RowLocation location_;
  std::vector<FieldBytes> fields_;
  RowShape shape_;
  std::vector<Value> values_;
  std::uint64_t count_ = 0;
  bool altered_ = false;
  std::string setAsideIn_;
  bool setAside_ = false;
};

}  // namespace jet
