#include "jet/salvage/row_plausibility.h"

#include <algorithm>

namespace jet {
namespace {

// One past the last byte of fixed data of the columns a row with `n`
// columns holds.
std::size_t fixedEnd(const TableDefinition& t, std::size_t n) {
  std::size_t end = row_layout::kFixedData;
  for (const ColumnDef& c : t.columns) {
    if (c.isFixed() && c.number < n && c.typeCode != static_cast<std::uint8_t>(ColumnType::kBool)) {
      end = std::max(end, row_layout::kFixedData + c.fixedOffset + c.fixedDataSize());
    }
  }
  return end;
}

}  // namespace

std::optional<std::string> implausibleRow(ByteView, const TableDefinition& t,
                                          const RowShape& shape) {
  const std::size_t n = shape.columnCount;
  if (n == 0 || n > t.columnsCreated) return "número de columnas imposible";
  if (t.varColumns > 0) {
    if (shape.varOffsets.front() < fixedEnd(t, n)) return "datos variables encima de los fijos";
    if (shape.varOffsets.back() != shape.varTableStart) {
      return "datos variables que no acaban donde empieza su tabla";
    }
  }
  return std::nullopt;
}

}  // namespace jet
