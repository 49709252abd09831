// Fills one data page (data_page.h) for a writer: a table's rows, long-value
// rows ("LVAL" pages) or usage-map rows.
//
// Rows go from the end of the page downwards, slot 0's row ending at the end
// of the page; the offset table grows from 0x0A. Slots are live unless
// flagged: a compacted file has no deleted or moved rows, only the generator
// makes them. The bytes between the offset table and the last row are zero.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "jet/format/data_page.h"
#include "jet/io/page_source.h"

namespace jet {

namespace data_page {
// Row numbers are one byte in row pointers: a page holds at most 255 rows.
inline constexpr std::size_t kMaxSlots = 255;
// Room for rows and their slots on an empty page.
inline constexpr std::size_t kRowArea = kPageSize - kRowOffsets;
// The largest row a page can hold (its slot included in the page).
inline constexpr std::size_t kMaxRowSize = kRowArea - kSlotSize;
}  // namespace data_page

class DataPageBuilder {
 public:
  explicit DataPageBuilder(std::uint32_t owner) { reset(owner); }

  // Empties the page for a new owner.
  void reset(std::uint32_t owner);

  bool empty() const { return rows_ == 0; }
  std::uint16_t rowCount() const { return rows_; }
  // Bytes still free: what another row and its slot may take.
  std::size_t freeSpace() const { return top_ - (data_page::kRowOffsets + rows_ * data_page::kSlotSize); }
  // True iff a row of `size` bytes fits, with its slot, within the slot limit.
  bool fits(std::size_t size) const {
    return rows_ < data_page::kMaxSlots && size + data_page::kSlotSize <= freeSpace();
  }
  // Adds a row and returns its slot number. Requires: fits(row.size()).
  std::uint8_t add(std::span<const std::byte> row);
  // Reserves a row of `size` zero bytes, filled in later through row().
  std::uint8_t reserve(std::size_t size);
  std::span<std::byte> row(std::uint8_t slot);
  // Sets flag bits (data_page::kDeleted, kMoved, kNotLive) on a slot.
  void flag(std::uint8_t slot, std::uint16_t flags);

  // The page with its header and free space set.
  std::span<const std::byte> bytes();

 private:
  // Takes `size` bytes below the last row for a new slot, its bytes as they
  // are; returns the slot.
  std::uint8_t place(std::size_t size);

  std::array<std::byte, kPageSize> page_{};
  std::uint16_t rows_ = 0;
  std::size_t top_ = kPageSize;  // where the last row added starts
};

}  // namespace jet
