// Reading a long value (memo, OLE) whose pages may be damaged: everything
// that can be read is kept, and what is missing is said.
//
// Unlike readLongValue (jet/format/long_value.h), which fails at the first
// damaged row, this keeps the bytes read up to the damage. A value is
// complete only when it reads exactly as Jet writes one: each row of the
// chain on a long-value page, every row but the last wholly used, the last
// row holding exactly the bytes still due and ending the chain.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "jet/format/long_value.h"
#include "jet/io/page_source.h"
#include "jet/salvage/page_census.h"

namespace jet {

struct SalvagedLongValue {
  std::vector<std::byte> bytes;  // what could be read, from the start
  bool complete = false;
  std::string damage;            // why not complete (Spanish), empty when complete
};

// Fails only on an I/O error.
Result<SalvagedLongValue> salvageLongValue(const PageSource& pages, const PageCensus& census,
                                           const LongValueRef& ref);

}  // namespace jet
