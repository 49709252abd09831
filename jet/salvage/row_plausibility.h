// Can these bytes be a row that Jet wrote for this table?
//
// splitRow only checks that a row's parts stay inside it. Bytes from a torn
// or garbled page often pass that and would come back as rows nobody wrote;
// salvage keeps no such row. What every row Jet 3 writes satisfies (checked on
// every row of the corpus, tests/jet/salvage_reader_test.cpp):
//   - its column count n is at least 1 and at most the columns the table ever
//     had;
//   - the variable data starts after the fixed data of the columns it has and
//     ends where the variable tables start.
// (The data of a NULL fixed column is not always zero: Jet leaves old bytes.
// Nor are the null mask's bits past n always clear: Access leaves some set,
// as in real/076's Books and Members, so they say nothing about a row.)
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "jet/core/byte_view.h"
#include "jet/format/row.h"
#include "jet/format/table_definition.h"

namespace jet {

// The reason (Spanish) why `row`, split by splitRow with `shape`, cannot be a row of `t`; nullopt when it can.
std::optional<std::string> implausibleRow(ByteView row, const TableDefinition& t,
                                          const RowShape& shape);

}  // namespace jet
