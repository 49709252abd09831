#include "jet/write/usage_map_writer.h"

#include <algorithm>
#include <array>

#include "jet/core/byte_view.h"
#include "jet/format/usage_map.h"
#include "jet/io/page_source.h"

namespace jet {

using namespace usage_map;

namespace {

void setBit(std::span<std::byte> bitmap, std::uint32_t bit) {
  bitmap[bit / 8] |= std::byte(1u << (bit % 8));
}

void inlineFrom(std::uint32_t start, std::span<const std::uint32_t> pages,
                std::span<std::byte> row) {
  std::fill(row.begin(), row.end(), std::byte{0});
  ByteWriter(row).u8(kType, kInline);
  ByteWriter(row).u32(kStartPage, start);
  std::span<std::byte> bitmap = row.subspan(kInlineBitmap, kInlineBitmapSize);
  for (std::uint32_t p : pages) {
    if (p >= start && p - start < kInlinePages) setBit(bitmap, p - start);
  }
}

}  // namespace

void encodeInlineMap(std::span<const std::uint32_t> pages, std::span<std::byte> row) {
  std::uint32_t start = 0;
  if (!pages.empty() && pages.back() >= kInlinePages) {
    start = std::max(pages.front(), pages.back() - (kInlinePages - 1));
  }
  inlineFrom(start, pages, row);
}

Status encodeUsageMap(std::span<const std::uint32_t> pages, std::span<std::byte> row,
                      PageOutput& out) {
  if (pages.empty() || pages.back() - pages.front() < kInlinePages) {
    encodeInlineMap(pages, row);
    return okStatus();
  }
  std::fill(row.begin(), row.end(), std::byte{0});
  ByteWriter(row).u8(kType, kReferenced);
  std::array<std::byte, kPageSize> bitmapPage{};
  std::size_t at = 0;
  while (at < pages.size()) {
    const std::uint32_t index = pages[at] / kPagesPerMapPage;
    if (index >= kPagePointerCount) return Error(errc::kTooLarge, "mapa de uso");
    bitmapPage.fill(std::byte{0});
    ByteWriter w(bitmapPage);
    w.u8(0, kMapPageType);
    w.u8(1, 0x01);
    std::span<std::byte> bits = std::span<std::byte>(bitmapPage).subspan(kMapPageBitmap);
    for (; at < pages.size() && pages[at] / kPagesPerMapPage == index; ++at) {
      setBit(bits, pages[at] - index * kPagesPerMapPage);
    }
    JET_TRY(std::uint32_t number, out.allocate());
    JET_CHECK(out.write(number, bitmapPage));
    ByteWriter(row).u32(kPagePointers + std::size_t{index} * 4, number);
  }
  return okStatus();
}

void encodeFreePageMap(std::uint32_t pageCount, std::span<std::byte> row) {
  const std::uint32_t start = pageCount <= kInlinePages ? 0 : pageCount;
  std::vector<std::uint32_t> free;
  for (std::uint32_t p = std::max(start, pageCount); p < start + kInlinePages; ++p) free.push_back(p);
  inlineFrom(start, free, row);
}

}  // namespace jet
