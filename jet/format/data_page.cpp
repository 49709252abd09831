#include "jet/format/data_page.h"

#include <string>

namespace jet {

using namespace data_page;

Result<DataPage> DataPage::decode(ByteView page, std::uint32_t number) {
  if (page.size() != 2048 || page.u8(kType) != kPageType) {
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

Result<RowSlot> DataPage::slot(std::uint16_t row) const {
  if (row >= rowCount_) return Error::corrupt(number_, "fila inexistente");
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
    return Error::corrupt(number_, "la fila " + std::to_string(row) + " sale de su página");
  }
  return s;
}

Result<ByteView> DataPage::rowBytes(std::uint16_t row) const {
  JET_TRY(RowSlot s, slot(row));
  if (s.kind == SlotKind::kDeleted) return Error::corrupt(number_, "fila borrada");
  return *page_.sub(s.start, s.end - s.start);
}

Result<RowLocation> DataPage::movedTo(std::uint16_t row) const {
  JET_TRY(ByteView bytes, rowBytes(row));
  if (bytes.size() < kPointerSize) {
    return Error::corrupt(number_, "puntero de fila desplazada incompleto");
  }
  return RowLocation{*bytes.u24(1), *bytes.u8(0)};
}

}  // namespace jet

