// MSysCompactError: the table in which a repaired database lists what repair
// met, one row per problem, with the columns Jet's own table has:
//
//   ErrorCode         Long        the Jet error number of the problem's kind
//                                 (problem.h: 3343, 3163, 3349, 3022)
//   ErrorDescription  Memo        the place and what happened, in Spanish
//   ErrorRecid        Binary 255  where: the row pointer (page << 8 | row, 4
//                                 bytes little-endian) of the row concerned,
//                                 the page's pointer (row 0xFF) when only a
//                                 page is, NULL when neither
//   ErrorTable        Text 255    the table concerned, NULL when none
//
// Text is stored in the database's code page.
#pragma once

#include <cstdint>
#include <vector>

#include "jet/format/header_page.h"
#include "jet/salvage/problem.h"
#include "jet/write/compaction_source.h"

namespace jet {

// The table, with catalog id `id`; its text columns take the sort order and
// code page of `header`.
SourceTable compactErrorTable(std::int32_t id, const HeaderPage& header);

// One row per problem of `problems`, and one more saying how many were left
// out when the list reached its cap.
std::vector<std::vector<Value>> compactErrorRows(const ProblemList& problems, int codePage);

}  // namespace jet
