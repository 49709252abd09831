// Values that Jet 3 would refuse to store in their column.
//
// Salvage never changes such a value silently: it leaves the column NULL in
// the repaired row and records the value it found (value_check's caller puts
// it in the problem's description).
#pragma once

#include <optional>
#include <string>

#include "jet/format/table_definition.h"
#include "jet/format/value.h"

namespace jet {

struct RefusedValue {
  int code = 0;        // errc::kFieldTooSmall or errc::kNumericOverflow
  std::string reason;  // Spanish
};

// Why Jet 3 would refuse `value` in column `column`; nullopt when it would
// store it: text or binary longer than the column's length, a date outside
// the years 100 to 9999, a floating-point number that is not finite. In a
// database of a double-byte code page (`doubleByte`), a text column of n
// characters may hold up to 2n bytes.
std::optional<RefusedValue> refusedValue(const ColumnDef& column, const Value& value,
                                         bool doubleByte);

// True for the code pages whose characters take one or two bytes.
bool isDoubleByteCodePage(std::uint16_t codePage);

}  // namespace jet
