// Usage maps: which pages belong to a table (or index, or to the free list).
//
// A map is a row on a data page, named by a row pointer (page << 8 | row).
// Integers are little-endian. Two forms, by the first byte:
//
//   type 0, inline bitmap:
//     0x00  1   0x00
//     0x01  4   page number of bit 0
//     0x05  ... bitmap: bit k (LSB first) set = page (start + k) is in the map
//
//   type 1, page-referenced:
//     0x00  1   0x01
//     0x01  4*m page numbers of bitmap pages (0 = none); bitmap page i covers
//               pages [i * kPagesPerMapPage, (i+1) * kPagesPerMapPage)
//
//   a bitmap page (type 0x05):
//     0x00  1   0x05
//     0x01  1   0x01
//     0x02  2   0
//     0x04  ... bitmap, bit k = page (i * kPagesPerMapPage + k)
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "jet/core/byte_view.h"
#include "jet/core/result.h"
#include "jet/format/data_page.h"
#include "jet/io/page_source.h"

namespace jet {

namespace usage_map {
inline constexpr std::uint8_t kInline = 0x00;
inline constexpr std::uint8_t kReferenced = 0x01;
inline constexpr std::size_t kType = 0;
inline constexpr std::size_t kStartPage = 1;
inline constexpr std::size_t kInlineBitmap = 5;
inline constexpr std::size_t kPagePointers = 1;
inline constexpr std::uint8_t kMapPageType = 0x05;
inline constexpr std::size_t kMapPageBitmap = 4;
inline constexpr std::uint32_t kPagesPerMapPage = (kPageSize - kMapPageBitmap) * 8;
// Access writes every map row 133 bytes long, of either type: an inline map
// covers 1024 pages, a page-referenced one names up to 33 bitmap pages
// (enough for the 1 GB of a Jet 3 file).
inline constexpr std::size_t kRowSize = 133;
inline constexpr std::size_t kInlineBitmapSize = kRowSize - kInlineBitmap;
inline constexpr std::uint32_t kInlinePages = kInlineBitmapSize * 8;
inline constexpr std::size_t kPagePointerCount = (kRowSize - kPagePointers) / 4;
// The map of free pages (bit set = free) is row 0 of page 1 (docs/format.md,
// "Where things are").
inline constexpr std::uint32_t kFreePages = RowLocation{1, 0}.pointer();
}  // namespace usage_map

// Walks the pages of one map in ascending order, reading bitmap pages of a
// type 1 map one at a time. Memory: one copy of the map row and one page.
// Pages numbered past the end of the file are reported as an error when
// reached, so a caller may stop or skip them.
class UsageMapCursor {
 public:
  // Reads the map row that `pointer` names. Fails with 3343 when the row is
  // missing, too short, or of an unknown type.
  static Result<UsageMapCursor> open(const PageSource& pages, std::uint32_t pointer);
  // Decodes a map from its row bytes (a copy is kept).
  static Result<UsageMapCursor> fromRow(const PageSource& pages, ByteView row,
                                        std::uint32_t rowPage);

  // The next page of the map, or nullopt at the end. Fails with 3343 when a
  // bitmap page is not of type 0x05 or a page number leaves the file.
  Result<std::optional<std::uint32_t>> next();

  std::uint8_t type() const { return type_; }
  // True iff next() failed on a page number past the end of the file (the
  // file cut short, or the map damaged).
  bool leftTheFile() const { return leftFile_; }

 private:
  UsageMapCursor(const PageSource& pages, std::vector<std::byte> row, std::uint32_t rowPage);
  // Makes bitmap_ the next non-empty bitmap; false at the end.
  Result<bool> loadBitmap();

  const PageSource* pages_;
  std::vector<std::byte> row_;
  std::uint32_t rowPage_;
  std::uint8_t type_ = 0;
  // The bitmap being walked: its bytes, the page of bit 0, the next bit.
  ByteView bitmap_;
  PageRef bitmapPage_;
  std::uint64_t base_ = 0;
  std::size_t bit_ = 0;
  std::size_t nextPointer_ = 0;  // type 1: next page pointer to load
  bool loaded_ = false;
  bool leftFile_ = false;
};

}  // namespace jet
