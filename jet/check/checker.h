// The structural check of a whole database file.
//
// Outline (each step goes on after damage, reporting it with its place):
//   1. The header (settings that name no code page or sort order, a password
//      field that holds no password) and what opening the file saw (a
//      partial last page).
//   2. The free-page map (page 1, row 0).
//   3. The catalog: every MSysObjects row decodes, every parent exists, every
//      table entry names a table definition page.
//   4. Each table: its definition (chain of TDEF pages), its usage and
//      free-space maps, every row (and none a torn page repeats from
//      another of its pages, torn_page.h), its long values against the maps of its
//      long-value columns (long_value_check.h), the row count the
//      definition records, and each real index: its tree (order, links,
//      loops), its usage map, and its entries against the rows' keys (for
//      an index of text in a national sort order, against the rows only,
//      with a note that says so).
//   5. The owner map: every page used once (usage-map rows may share a page,
//      and one table's long values), none in use marked free. A page that
//      nothing uses and that is not marked free is damage when it holds
//      rows of a table (rows its usage map lost); any other is space that
//      Access leaves behind.
// Step 4 runs for several tables at once, one per core unless told otherwise
// (CheckOptions::threads), each thread reading through a page cache of its
// own; what each finds is replayed in catalog order, so the report is the one
// a single thread makes.
// Findings are damage, what a repair must mend. What Access itself leaves in
// a healthy file (space to reclaim, counts that are only statistics) is kept
// apart, as notes: they never make a file damaged. So is what the check does
// not judge (the key bytes of an index in a national sort order). Findings and notes beyond
// the cap are counted, not kept.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string_view>

#include "jet/core/finding.h"
#include "jet/core/result.h"
#include "jet/model/database.h"

namespace jet {

struct CheckOptions {
  std::size_t maxFindings = 500;  // findings kept; the rest are only counted
  // Tables checked at once; 0 for one per core. The report is the same for
  // any number.
  unsigned threads = 0;
};

struct CheckReport {
  explicit CheckReport(std::size_t cap) : findings(cap), notes(cap) {}
  FindingList findings;  // damage
  FindingList notes;     // what Access leaves (FindingKind other than kDamage)
  std::uint64_t pages = 0;
  std::uint64_t tables = 0;
  std::uint64_t rows = 0;
  std::uint64_t indexes = 0;
  std::uint64_t indexEntries = 0;
  // No damage (notes may remain).
  bool clean() const { return findings.empty(); }
};

// Checks `db` from end to end. Fails only when a page cannot be read from the
// file at all (an I/O error); damage is always a finding.
Result<CheckReport> checkDatabase(const Database& db, const CheckOptions& options = {});

// Opens the file `file` read-only (with `password`, UTF-8, when it has one)
// and checks it whole: what the compactor and the repair ask of a file they
// wrote before it takes its name. Fails with
// 3343, "`what` no supera la comprobación" and the first finding, when it is
// not clean; with the error of opening it when it cannot be opened.
Status requireClean(const std::filesystem::path& file, std::string_view what,
                    std::string_view password = {});

}  // namespace jet
