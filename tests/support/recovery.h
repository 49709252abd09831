// Measuring what a repair saved: the rows of the original database, which of
// them lay wholly on bytes the damage left alone, and how the rows read back
// after the repair compare with them.
//
// A row is recoverable when none of the bytes it depends on changed: its data
// page's header, its slot and the slot before it (they bound it), its bytes;
// the same for the body of a moved row; for each long value it holds, the
// header, slots and bytes of every long-value row of its chain; and every page
// of its table's definition. (Bytes cut off by a truncation count as changed.)
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "jet/format/value.h"

namespace testing_support {

struct OriginalRow { std::vector<jet::Value> values; bool recoverable = false; };

struct OriginalTable {
  std::string name;     // as the catalog has it
  std::uint32_t tdef = 0;
  std::vector<OriginalRow> rows;
};

// The user tables of `original` and their rows, each marked recoverable or
// not against `damaged`. Throws std::runtime_error when `original` cannot be
// read.
std::vector<OriginalTable> originalRows(const std::string& original, const std::string& damaged);

// Rows read back after a repair, by table name.
using RecoveredRows = std::map<std::string, std::vector<std::vector<jet::Value>>>;

struct RecoveryScore {
  std::uint64_t rows = 0;         // rows of the original
  std::uint64_t recoverable = 0;  // rows of the original that lay on undamaged bytes
  std::uint64_t recovered = 0;    // of those, rows that came back value for value
  std::uint64_t cameBack = 0;     // rows of the original back whole or with values changed
  std::uint64_t spurious = 0;     // rows that match no row of the original at all
};

// Matches the rows read back with the original's, table by table: a table is
// found under the name `renamed` gives its definition page (a damaged catalog
// row may have changed it), else under its name or the name of a table found
// by scanning ("Tabla_recuperada_<tdef>"). Values compare bit for bit
// (floating point included). A row that equals no original row still came
// back when it could be one whose values the repair left NULL or cut short,
// or one that lay on damaged bytes with some values changed (at least half
// of its values equal); it is spurious otherwise, and so is a row that came
// back more often than the original holds it. Tables of a dropped table's
// leftovers ("Tabla_recuperada_<page>" matching no table) and of rows set
// aside ("<table>_apartadas") are neither.
RecoveryScore scoreRecovery(const std::vector<OriginalTable>& original, const RecoveredRows& recovered,
                            const std::map<std::uint32_t, std::string>& renamed = {});

// True iff two values are the same, floating point compared bit for bit.
bool sameValue(const jet::Value& a, const jet::Value& b);

}  // namespace testing_support
