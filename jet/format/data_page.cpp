#include "jet/format/data_page.h"

#include <algorithm>
#include <string>

namespace jet {

using namespace data_page;

Result<DataPage> DataPage::decode(ByteView page, std::uint32_t number) {
  if (page.size() != kPageSize || page.u8(kType) != kPageType) {
    return Error::corrupt(number, "no es una página de datos");
  }
  DataPage d;
  d.page_ = page;
  d.number_ = number;
  d.freeSpace_ = *page.u16(kFreeSpace);
  d.owner_ = *page.u32(kOwner);
  d.rowCount_ = *page.u16(kRowCount);
  if (d.rowCount_ > kMaxRows) {
    return Error::corrupt(number, "la página de datos dice tener " +
                                      std::to_string(d.rowCount_) + " filas");
  }
  return d;
}

Result<DataPage> DataPage::decode(ByteView page, std::uint32_t number, std::uint16_t rows) {
  JET_TRY(DataPage d, decode(page, number));
  if (rows > kMaxRows) return Error::corrupt(number, "demasiadas filas");
  d.rowCount_ = rows;
  return d;
}

std::optional<std::uint16_t> agreedRowCount(ByteView page) {
  const auto stored = page.u16(kRowCount);
  const auto free = page.u16(kFreeSpace);
  if (!stored || !free) return std::nullopt;
  std::optional<std::uint16_t> found;
  std::size_t lowest = page.size();
  for (std::size_t n = 1; n <= kMaxRows; ++n) {
    const auto raw = page.u16(kRowOffsets + (n - 1) * kSlotSize);
    if (!raw) break;
    lowest = std::min<std::size_t>(lowest, *raw & kOffsetMask);
    const std::size_t tableEnd = kRowOffsets + n * kSlotSize;
    if (lowest < tableEnd) break;  // no larger count can agree
    if (lowest - tableEnd != *free) continue;
    if (n == *stored) return *stored;
    if (found) return std::nullopt;
    found = static_cast<std::uint16_t>(n);
  }
  return found;
}

Result<RowSlot> DataPage::slot(std::uint16_t row) const {
  if (row >= rowCount_) return Error::corrupt(number_, row, "fila inexistente");
  const std::size_t tableEnd = kRowOffsets + std::size_t{rowCount_} * kSlotSize;
  const std::uint16_t raw = *page_.u16(kRowOffsets + std::size_t{row} * kSlotSize);
  RowSlot s;
  if ((raw & kDeleted) == kDeleted) s.kind = SlotKind::kDeleted;
  else if (raw & kNotLive) s.kind = SlotKind::kMovedBody;
  else if (raw & kMoved) s.kind = SlotKind::kMoved;
  s.start = raw & kOffsetMask;
  s.end = static_cast<std::uint16_t>(page_.size());
  if (row > 0) s.end = *page_.u16(kRowOffsets + (std::size_t{row} - 1) * kSlotSize) & kOffsetMask;
  // A deleted slot's range may be stale; callers never read it.
  if (s.kind == SlotKind::kDeleted) return s;
  if (s.start < tableEnd || s.end > page_.size() || s.start > s.end) {
    return Error::corrupt(number_, row, "la fila sale de su página");
  }
  return s;
}

Result<ByteView> DataPage::rowBytes(std::uint16_t row) const {
  JET_TRY(RowSlot s, slot(row));
  if (s.kind == SlotKind::kDeleted) return Error::corrupt(number_, row, "fila borrada");
  return *page_.sub(s.start, s.end - s.start);
}

std::array<std::byte, kPointerSize> encodeMovedRow(RowLocation to) {
  return {std::byte(to.row), std::byte(to.page & 0xFF), std::byte((to.page >> 8) & 0xFF),
          std::byte((to.page >> 16) & 0xFF)};
}

Result<RowLocation> DataPage::movedTo(std::uint16_t row) const {
  JET_TRY(ByteView bytes, rowBytes(row));
  if (bytes.size() < kPointerSize) {
    return Error::corrupt(number_, row, "puntero de fila desplazada incompleto");
  }
  return RowLocation{*bytes.u24(1), *bytes.u8(0)};
}

}  // namespace jet

