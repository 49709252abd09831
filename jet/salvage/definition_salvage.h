// A table definition rebuilt from what survives of damaged TDEF pages.
//
// readTableDefinition refuses a definition whose chain of pages or counts
// are damaged. The columns (what the rows need) usually survive that:
//   1. The chain is followed while it names definition pages it has not
//      visited; a definition that fits in the pages read is taken.
//   2. Counts that break Jet 3's limits are replaced, each by every value
//      the limits allow, and a candidate is kept only when the definition it
//      gives is plausible: column types Jet 3 has, names of printable text,
//      fixed columns apart in the row, every logical index on a real one.
//      The columns ever created and the variable columns are then counted
//      from the columns; a table type that is neither user nor system is the
//      catalog's word (system or not).
// A definition is taken only when exactly one candidate is plausible.
#pragma once

#include <cstdint>
#include <string>

#include "jet/core/result.h"
#include "jet/format/table_definition.h"
#include "jet/io/page_source.h"

namespace jet {

struct SalvagedDefinition {
  TableDefinition definition;
  std::string repaired;  // what was rebuilt (Spanish), for the problem
};

// Requires: readTableDefinition(pages, page) failed. Fails with 3343 when no
// single plausible definition can be rebuilt; 3043 on an I/O error.
Result<SalvagedDefinition> salvageTableDefinition(const PageSource& pages, std::uint32_t page,
                                                  bool system);

}  // namespace jet
