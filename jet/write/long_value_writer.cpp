#include "jet/write/long_value_writer.h"

#include <algorithm>

#include "jet/core/byte_view.h"
#include "jet/format/long_value.h"

namespace jet {
namespace {

using namespace long_value;

// A page keeps a place in its column's free-space map while a one-row value
// just over the inline limit still fits on it.
bool hasRoom(const DataPageBuilder& page) { return page.fits(kMaxInline + 1); }

std::vector<std::byte> reference(std::uint32_t length, std::uint8_t form, std::uint32_t pointer) {
  std::vector<std::byte> field(kReferenceSize, std::byte{0});
  ByteWriter w(field);
  w.u32(kLengthAndForm, (length & kLengthMask) | std::uint32_t{form} << 24);
  w.u32(kPointer, pointer);
  return field;
}

}  // namespace

Status LongValueWriter::close(Column& c) {
  if (c.openPage == 0) return okStatus();
  if (hasRoom(c.open)) c.withRoom.push_back(c.openPage);
  JET_CHECK(out_->write(c.openPage, c.open.bytes()));
  c.openPage = 0;
  return okStatus();
}

Result<std::uint32_t> LongValueWriter::placeFor(Column& c, std::size_t size) {
  if (c.openPage != 0 && c.open.fits(size)) return c.openPage;
  JET_CHECK(close(c));
  JET_TRY(c.openPage, out_->allocate());
  c.open.reset(data_page::kLongValueOwner);
  c.pages.push_back(c.openPage);
  return c.openPage;
}

Result<std::vector<std::byte>> LongValueWriter::store(std::size_t column,
                                                      std::span<const std::byte> value,
                                                      bool deleted) {
  const std::uint16_t flags = deleted ? data_page::kDeleted : 0;
  if (value.size() > kLengthMask) return Error(errc::kTooLarge, "valor largo");
  const auto length = static_cast<std::uint32_t>(value.size());
  if (value.size() <= kMaxInline) {
    std::vector<std::byte> field = reference(length, kInline, 0);
    field.insert(field.end(), value.begin(), value.end());
    return field;
  }
  Column& c = columns_[column];
  if (value.size() <= kMaxOneRow) {
    JET_TRY(std::uint32_t page, placeFor(c, value.size()));
    const std::uint8_t row = c.open.add(value);
    c.open.flag(row, flags);
    return reference(length, kOneRow, RowLocation{page, row}.pointer());
  }
  // Chained: whole pages of kChainedChunk bytes, each row naming the next,
  // then the rest. The pages of the whole chunks come first, so every
  // pointer is known when its row is written.
  const std::size_t chunks = (value.size() - 1) / kChainedChunk;  // whole ones
  const std::size_t rest = value.size() - chunks * kChainedChunk;
  std::vector<std::uint32_t> chain;
  for (std::size_t i = 0; i < chunks; ++i) {
    JET_TRY(std::uint32_t page, out_->allocate());
    chain.push_back(page);
  }
  JET_TRY(std::uint32_t lastPage, placeFor(c, rest + kChainedData));
  const std::uint8_t lastRow = c.open.reserve(rest + kChainedData);
  c.open.flag(lastRow, flags);
  std::span<std::byte> last = c.open.row(lastRow);
  std::copy(value.end() - static_cast<std::ptrdiff_t>(rest), value.end(),
            last.begin() + kChainedData);
  const std::uint32_t lastPointer = RowLocation{lastPage, lastRow}.pointer();

  DataPageBuilder page(data_page::kLongValueOwner);
  for (std::size_t i = 0; i < chunks; ++i) {
    const std::uint32_t next = i + 1 < chunks ? RowLocation{chain[i + 1], 0}.pointer() : lastPointer;
    page.reset(data_page::kLongValueOwner);
    const std::uint8_t slot = page.reserve(kChainedData + kChainedChunk);
    page.flag(slot, flags);
    std::span<std::byte> row = page.row(slot);
    ByteWriter(row).u32(kNextPointer, next);
    std::copy(value.begin() + static_cast<std::ptrdiff_t>(i * kChainedChunk),
              value.begin() + static_cast<std::ptrdiff_t>((i + 1) * kChainedChunk),
              row.begin() + kChainedData);
    JET_CHECK(out_->write(chain[i], page.bytes()));
  }
  c.pages.insert(c.pages.end(), chain.begin(), chain.end());
  return reference(length, kChained, RowLocation{chain.front(), 0}.pointer());
}

Status LongValueWriter::finish() {
  for (auto& [column, c] : columns_) JET_CHECK(close(c));
  return okStatus();
}

std::vector<std::uint32_t> LongValueWriter::pages(std::size_t column) const {
  auto it = columns_.find(column);
  if (it == columns_.end()) return {};
  std::vector<std::uint32_t> p = it->second.pages;
  std::sort(p.begin(), p.end());
  return p;
}

std::vector<std::uint32_t> LongValueWriter::pagesWithRoom(std::size_t column) const {
  auto it = columns_.find(column);
  return it == columns_.end() ? std::vector<std::uint32_t>{} : it->second.withRoom;
}

}  // namespace jet
