// Data pages (type 0x01): table rows, and long-value pages, which share the
// layout with "LVAL" in place of the owner.
//
// Integers are little-endian.
//
//   offset  size  meaning
//   0x00    1     page type, 0x01
//   0x01    1     0x01
//   0x02    2     free space in bytes
//   0x04    4     owner: the table's TDEF page, or "LVAL" on a long-value page
//   0x08    2     number of row slots
//   0x0A    2*n   row offset table, one u16 per slot
//
// Rows are stored from the end of the page downwards: slot 0's row ends at the
// end of the page, slot i's ends where slot i-1's starts. The top two bits of a
// slot are flags (docs/format.md, "Data pages: the row-offset flags"):
//   0x8000  the slot is not a live row: a deleted row (0xC000), or the body of
//           a row moved here from another page (0x8000 alone)
//   0x4000  without 0x8000: the row was moved; the slot holds 1 byte row number
//           and 3 bytes page number of its body
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "jet/core/byte_view.h"
#include "jet/core/result.h"
#include "jet/io/page_source.h"

namespace jet {

namespace data_page {
inline constexpr std::uint8_t kPageType = 0x01;
inline constexpr std::size_t kType = 0x00;
inline constexpr std::size_t kFreeSpace = 0x02;
inline constexpr std::size_t kOwner = 0x04;
inline constexpr std::size_t kRowCount = 0x08;
inline constexpr std::size_t kRowOffsets = 0x0A;
inline constexpr std::size_t kSlotSize = 2;
inline constexpr std::uint16_t kNotLive = 0x8000;
inline constexpr std::uint16_t kMoved = 0x4000;
inline constexpr std::uint16_t kDeleted = 0xC000;
inline constexpr std::uint16_t kOffsetMask = 0x1FFF;
// "LVAL" read as a little-endian u32: the owner of a long-value page.
inline constexpr std::uint32_t kLongValueOwner = 0x4C41564C;
// A moved row's pointer: 1 byte row, 3 bytes page.
inline constexpr std::size_t kPointerSize = 4;
// The most slots that fit: each takes a slot and at least one byte of row.
inline constexpr std::size_t kMaxRows = (kPageSize - kRowOffsets) / (kSlotSize + 1);
}  // namespace data_page

// Where a row lives: page and slot. Packed in pointers as (page << 8) | row.
struct RowLocation {
  std::uint32_t page = 0;
  std::uint8_t row = 0;

  static constexpr RowLocation fromPointer(std::uint32_t pointer) {
    return {pointer >> 8, static_cast<std::uint8_t>(pointer & 0xFF)};
  }
  constexpr std::uint32_t pointer() const { return page << 8 | row; }
  bool operator==(const RowLocation&) const = default;
};

// What the slot of a moved row holds: the row, then the page in 3 bytes,
// little-endian (DataPage::movedTo reads it).
std::array<std::byte, data_page::kPointerSize> encodeMovedRow(RowLocation to);

enum class SlotKind { kLive, kMoved, kMovedBody, kDeleted };

struct RowSlot {
  SlotKind kind = SlotKind::kLive;
  std::uint16_t start = 0;  // first byte of the row in the page
  std::uint16_t end = 0;    // one past the last byte
};

// The row count that the page's free-space count and row offsets agree on.
// Jet keeps, on every data page, free space = (start of the lowest slot's
// bytes) - (end of the row offset table) (all 6,311 data and long-value
// pages with rows in the 66 corpus files). Returns the stored count when it
// agrees; otherwise the only count from 1 to kMaxRows that does, or nullopt
// (none, or more than one).
std::optional<std::uint16_t> agreedRowCount(ByteView page);

// A decoded view of one data page. Decoding checks the header only; slot()
// checks each slot against the page when it is asked for. A page that decodes
// has shown no damage so far, which does not prove it sound.
class DataPage {
 public:
  // Fails with 3343 naming the page when it is not a data page or its slot
  // count does not fit in the page.
  static Result<DataPage> decode(ByteView page, std::uint32_t number);
  // As decode(), taking `rows` slots whatever the page says (agreedRowCount).
  static Result<DataPage> decode(ByteView page, std::uint32_t number, std::uint16_t rows);

  std::uint32_t number() const { return number_; }
  std::uint32_t owner() const { return owner_; }
  std::uint16_t freeSpace() const { return freeSpace_; }
  std::uint16_t rowCount() const { return rowCount_; }
  bool isLongValuePage() const { return owner_ == data_page::kLongValueOwner; }

  // Slot `row`: its kind and byte range. Fails with 3343 when the row number is
  // past the slot count or the range leaves the row area or is inverted.
  Result<RowSlot> slot(std::uint16_t row) const;
  // The bytes of slot `row` (any kind).
  Result<ByteView> rowBytes(std::uint16_t row) const;
  // Where a slot of kind kMoved points (its bytes: encodeMovedRow).
  Result<RowLocation> movedTo(std::uint16_t row) const;

 private:
  ByteView page_;
  std::uint32_t number_ = 0;
  std::uint32_t owner_ = 0;
  std::uint16_t freeSpace_ = 0;
  std::uint16_t rowCount_ = 0;
};

}  // namespace jet
