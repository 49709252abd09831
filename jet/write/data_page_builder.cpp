#include "jet/write/data_page_builder.h"

#include <algorithm>
#include <cstring>

#include "jet/core/byte_view.h"

namespace jet {

using namespace data_page;

// Only the header is cleared here: a row's bytes are set when it is added or
// reserved, and the free space between the offset table and the rows when
// the page is taken (most pages are full: clearing them whole cost a second
// write of every byte).
void DataPageBuilder::reset(std::uint32_t owner) {
  std::fill_n(page_.begin(), kRowOffsets, std::byte{0});
  rows_ = 0;
  top_ = kPageSize;
  ByteWriter w(page_);
  w.u8(kType, kPageType);
  w.u8(kType + 1, 0x01);
  w.u32(kOwner, owner);
}

std::uint8_t DataPageBuilder::place(std::size_t size) {
  top_ -= size;
  ByteWriter w(page_);
  w.u16(kRowOffsets + std::size_t{rows_} * kSlotSize, static_cast<std::uint16_t>(top_));
  return static_cast<std::uint8_t>(rows_++);
}

std::uint8_t DataPageBuilder::reserve(std::size_t size) {
  const std::uint8_t slot = place(size);
  std::fill_n(page_.begin() + static_cast<std::ptrdiff_t>(top_), size, std::byte{0});
  return slot;
}

std::uint8_t DataPageBuilder::add(std::span<const std::byte> row) {
  const std::uint8_t slot = place(row.size());
  if (!row.empty()) std::memcpy(page_.data() + top_, row.data(), row.size());
  return slot;
}

void DataPageBuilder::flag(std::uint8_t slot, std::uint16_t flags) {
  ByteView v(page_);
  const std::size_t at = kRowOffsets + std::size_t{slot} * kSlotSize;
  ByteWriter(page_).u16(at, static_cast<std::uint16_t>(*v.u16(at) | flags));
}

std::span<std::byte> DataPageBuilder::row(std::uint8_t slot) {
  ByteView v(page_);
  const std::size_t start = *v.u16(kRowOffsets + std::size_t{slot} * kSlotSize) & kOffsetMask;
  const std::size_t end =
      slot == 0 ? kPageSize
                : *v.u16(kRowOffsets + (std::size_t{slot} - 1) * kSlotSize) & kOffsetMask;
  return std::span<std::byte>(page_).subspan(start, end - start);
}

std::span<const std::byte> DataPageBuilder::bytes() {
  const std::size_t slotsEnd = kRowOffsets + std::size_t{rows_} * kSlotSize;
  std::fill(page_.begin() + static_cast<std::ptrdiff_t>(slotsEnd),
            page_.begin() + static_cast<std::ptrdiff_t>(top_), std::byte{0});
  ByteWriter w(page_);
  w.u16(kFreeSpace, static_cast<std::uint16_t>(freeSpace()));
  w.u16(kRowCount, rows_);
  return page_;
}

}  // namespace jet
