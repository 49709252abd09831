// Part of step 4 of the check (checker.h): a table's long values.
//
// The end of a table definition lists, per Memo or OLE column, the usage map
// of the "LVAL" pages that hold the column's values. The check claims those
// pages for the table, so that an LVAL page no map names is a page nobody
// uses, and one that two tables' maps name is claimed twice. Then the values
// that the rows reach must lie on pages of their own column's map, each
// long-value row used by one value only, and each live long-value row on the
// column's pages used by some value (a row no value uses is lost space).
//
//   LongValueCheck lv(c, def, table);        // claims the maps and their pages
//   rows.trackLongValues(true);
//   while (...) lv.addRow(rows.location(), rows.longValueRows());
//   lv.finish();                            // reports the rows no value uses
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "jet/check/check_context.h"
#include "jet/format/table_definition.h"
#include "jet/model/row_cursor.h"

namespace jet {

class LongValueCheck {
 public:
  // Requires: `c` and `def` outlive the check.
  LongValueCheck(CheckContext& c, const TableDefinition& def, std::string table);

  // The long-value rows that the values of the row at `row` reached.
  void addRow(RowLocation row, const std::vector<RowCursor::LongValueRow>& used);

  // Reports the live long-value rows on the columns' pages that no value used.
  // Skipped when rows were lost to damage, whose values would show up as unused.
  void finish(bool everyRowRead);

 private:
  CheckContext& c_;
  const TableDefinition& def_;
  std::string table_;
  // Each page of a long-value map, with the number of the column it serves
  // and, read once when the map is claimed, its live rows: the slots 0-255
  // that a pointer can name, and whether any live row lies past them.
  struct LongValuePage {
    std::uint32_t number = 0;
    std::uint16_t column = 0;
    bool liveBeyondPointers = false;
    std::array<std::uint64_t, 4> live{};  // bit r of word r / 64: row r
  };
  // By page number.
  std::vector<LongValuePage> pages_;
  const LongValuePage* findPage(std::uint32_t number) const;
  // Long-value rows used so far, as row pointers.
  std::unordered_set<std::uint32_t> used_;
};

}  // namespace jet
