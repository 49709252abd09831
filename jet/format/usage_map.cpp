#include "jet/format/usage_map.h"

#include "jet/format/data_page.h"

namespace jet {

using namespace usage_map;

UsageMapCursor::UsageMapCursor(const PageSource& pages, std::vector<std::byte> row,
                               std::uint32_t rowPage)
    : pages_(&pages), row_(std::move(row)), rowPage_(rowPage) {}

Result<UsageMapCursor> UsageMapCursor::open(const PageSource& pages, std::uint32_t pointer) {
  RowLocation at = RowLocation::fromPointer(pointer);
  JET_TRY(PageRef page, pages.read(at.page));
  JET_TRY(DataPage data, DataPage::decode(page->view(), at.page));
  JET_TRY(ByteView row, data.rowBytes(at.row));
  return fromRow(pages, row, at.page);
}

Result<UsageMapCursor> UsageMapCursor::fromRow(const PageSource& pages, ByteView row,
                                               std::uint32_t rowPage) {
  auto type = row.u8(kType);
  if (!type || (*type != kInline && *type != kReferenced) ||
      (*type == kInline && row.size() < kInlineBitmap)) {
    return Error::corrupt(rowPage, "mapa de uso de páginas ilegible");
  }
  UsageMapCursor c(pages, std::vector<std::byte>(row.data(), row.data() + row.size()), rowPage);
  c.type_ = *type;
  return c;
}

Result<bool> UsageMapCursor::loadBitmap() {
  ByteView row(row_);
  if (type_ == kInline) {
    if (loaded_) return false;
    loaded_ = true;
    base_ = *row.u32(kStartPage);
    bitmap_ = *row.from(kInlineBitmap);
    bit_ = 0;
    return true;
  }
  while (true) {
    const std::size_t at = kPagePointers + nextPointer_ * 4;
    auto pointer = row.u32(at);
    if (!pointer) return false;
    const std::uint64_t base = std::uint64_t{nextPointer_} * kPagesPerMapPage;
    ++nextPointer_;
    if (*pointer == 0) continue;
    if (*pointer >= pages_->pageCount()) {
      leftFile_ = true;
      return Error::corrupt(rowPage_, "el mapa de uso nombra la página de mapa " +
                                          std::to_string(*pointer) + ", fuera del archivo");
    }
    JET_TRY(PageRef page, pages_->read(*pointer));
    if (page->type() != kMapPageType) {
      return Error::corrupt(*pointer, "no es una página de mapa de uso");
    }
    bitmapPage_ = page;
    bitmap_ = *page->view().from(kMapPageBitmap);
    base_ = base;
    bit_ = 0;
    return true;
  }
}

Result<std::optional<std::uint32_t>> UsageMapCursor::next() {
  while (true) {
    const std::size_t bits = bitmap_.size() * 8;
    while (bit_ < bits) {
      const std::size_t b = bit_++;
      const std::uint8_t byte = *bitmap_.u8(b / 8);
      if (byte == 0) {  // skip a whole empty byte
        bit_ = (b / 8 + 1) * 8;
        continue;
      }
      if (!((byte >> (b % 8)) & 1)) continue;
      const std::uint64_t page = base_ + b;
      if (page >= pages_->pageCount()) {
        leftFile_ = true;
        return Error::corrupt(rowPage_, "el mapa de uso nombra la página " +
                                            std::to_string(page) + ", fuera del archivo");
      }
      return std::optional<std::uint32_t>(static_cast<std::uint32_t>(page));
    }
    JET_TRY(bool more, loadBitmap());
    if (!more) return std::optional<std::uint32_t>();
  }
}

}  // namespace jet
