#include "jet/format/row.h"

#include <array>
#include <string>

namespace jet {

using namespace row_layout;

namespace {

Error bad(std::uint32_t page, const char* what) {
  return Error::corrupt(page, std::string("fila dañada: ") + what);
}

}  // namespace

Status splitRow(ByteView row, const TableDefinition& t, std::uint32_t page,
                std::vector<FieldBytes>& out, RowShape* shape) {
  out.assign(t.columns.size(), FieldBytes{});
  const std::size_t length = row.size();
  if (length < kFixedData) return bad(page, "vacía");
  const std::size_t n = *row.u8(kColumnCount);
  // Every table has a column, and every row Jet writes counts them.
  if (n == 0) return bad(page, "sin columnas");
  const std::size_t maskSize = (n + 7) / 8;
  if (length < kFixedData + maskSize) return bad(page, "sin máscara de nulos");
  const std::size_t mask = length - maskSize;

  // Variable offsets, absolute in the row; varCount + 1 of them.
  std::array<std::uint16_t, 257> offsets{};
  std::size_t varCount = 0;
  std::size_t varTableStart = mask;  // nothing of the variable part: all fixed
  if (t.varColumns > 0) {
    if (mask < kFixedData + 1) return bad(page, "sin número de columnas variables");
    varCount = *row.u8(mask - 1);
    const std::size_t jumps = (length - 1) / kJumpSpan;
    if (mask < kFixedData + 2 + jumps + varCount) return bad(page, "tabla de desplazamientos");
    const std::size_t first = mask - 2 - jumps;  // entry 0
    varTableStart = first - varCount;
    std::size_t usable = jumps;
    if (usable > 0 && varTableStart / kJumpSpan < usable) --usable;
    for (std::size_t i = 0; i <= varCount; ++i) {
      std::size_t high = 0;
      for (std::size_t j = 0; j < usable; ++j) {
        if (*row.u8(mask - 2 - j) <= i) ++high;
      }
      offsets[i] = static_cast<std::uint16_t>(*row.u8(first - i) + high * kJumpSpan);
      if (offsets[i] < kFixedData || offsets[i] > varTableStart ||
          (i > 0 && offsets[i] < offsets[i - 1])) {
        return bad(page, "desplazamiento de columna variable fuera de orden");
      }
    }
  }

  for (std::size_t k = 0; k < t.columns.size(); ++k) {
    const ColumnDef& c = t.columns[k];
    FieldBytes& f = out[k];
    if (c.number >= n) continue;  // added after the row was written
    f.bit = (*row.u8(mask + c.number / 8) >> (c.number % 8)) & 1;
    if (c.typeCode == static_cast<std::uint8_t>(ColumnType::kBool)) {
      f.null = false;
      continue;
    }
    if (!f.bit) continue;
    if (c.isFixed()) {
      auto data = row.sub(kFixedData + c.fixedOffset, c.fixedDataSize());
      if (!data || kFixedData + c.fixedOffset + c.fixedDataSize() > varTableStart) {
        return bad(page, "columna fija fuera de la fila");
      }
      f.bytes = *data;
    } else {
      if (c.varIndex >= varCount) continue;  // added after the row was written
      f.bytes = *row.sub(offsets[c.varIndex], offsets[c.varIndex + 1] - offsets[c.varIndex]);
    }
    f.null = false;
  }
  if (shape) {
    shape->columnCount = n;
    shape->varCount = varCount;
    shape->varOffsets.assign(offsets.begin(), offsets.begin() + static_cast<std::ptrdiff_t>(varCount + 1));
    shape->varTableStart = varTableStart;
    shape->nullMask = mask;
  }
  return okStatus();
}

}  // namespace jet
