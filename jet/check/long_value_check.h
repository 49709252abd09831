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
  // and its live rows: the slots 0-255 that a pointer can name, and whether
  // any live row lies past them. A page is read for them when a value first
  // reaches it (the row cursor has just read it: the page cache still holds
  // it), the pages no value reaches at the end: each page is read once
  // more, not twice. A 1 GB file holds half a million such pages, most with
  // a row or two: each keeps as many 64-bit words as its highest live row
  // needs, twice, in bits_ from `bits`: the live rows, then the rows the
  // values used.
  struct LongValuePage {
    std::uint32_t number = 0;
    std::uint32_t bits = 0;
    std::uint16_t column = 0;
    std::uint8_t words = 0;  // 0-4
    bool liveBeyondPointers = false;
    bool loaded = false;
  };
  // By page number.
  std::vector<LongValuePage> pages_;
  std::vector<std::uint64_t> bits_;
  // The page `number` of the maps, read; nullptr when no map names it.
  LongValuePage* findPage(std::uint32_t number);
  // Reads the page's live rows (a finding when it is no long-value page).
  void load(LongValuePage& entry);
  bool live(const LongValuePage& p, std::uint8_t row) const;
  // Marks the row used; false when it was already.
  bool use(RowLocation at, const LongValuePage* page);
  // Whether a live row of the page was marked used (asked of live rows only).
  bool isUsed(const LongValuePage& p, std::uint8_t row) const;
  // Rows used that no page's words hold (not on the map, or not live).
  std::unordered_set<std::uint32_t> usedElsewhere_;
};

}  // namespace jet
