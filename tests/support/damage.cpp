#include "tests/support/damage.h"

#include <span>
#include <stdexcept>

#include "jet/format/data_page.h"
#include "jet/format/header_page.h"
#include "jet/io/page_source.h"
#include "jet/format/usage_map.h"
#include "tests/support/corpus.h"
#include "tests/support/database_layout.h"

namespace testing_support {

namespace {
void need(const std::string& image, std::size_t offset, std::size_t n) {
  if (offset > image.size() || n > image.size() - offset) {
    throw std::out_of_range("damage helper outside the image");
  }
}
}  // namespace

void setByte(std::string& image, std::size_t offset, std::uint8_t value) {
  need(image, offset, 1);
  image[offset] = static_cast<char>(value);
}

void setU16(std::string& image, std::size_t offset, std::uint16_t value) {
  need(image, offset, 2);
  for (int i = 0; i < 2; ++i) image[offset + i] = static_cast<char>(value >> (8 * i));
}

void setU32(std::string& image, std::size_t offset, std::uint32_t value) {
  need(image, offset, 4);
  for (int i = 0; i < 4; ++i) image[offset + i] = static_cast<char>(value >> (8 * i));
}

std::uint8_t getByte(const std::string& image, std::size_t offset) {
  need(image, offset, 1);
  return static_cast<std::uint8_t>(image[offset]);
}

std::uint16_t getU16(const std::string& image, std::size_t offset) {
  return static_cast<std::uint16_t>(getByte(image, offset) | getByte(image, offset + 1) << 8);
}

std::uint32_t getU32(const std::string& image, std::size_t offset) {
  return std::uint32_t{getU16(image, offset)} | std::uint32_t{getU16(image, offset + 2)} << 16;
}

void truncateTo(std::string& image, std::size_t size) {
  if (size < image.size()) image.resize(size);
}

namespace {

// The offset of the byte, and the mask of the bit, that hold `page`.
std::pair<std::size_t, std::uint8_t> usageMapBit(const std::string& image, std::uint32_t pointer,
                                                 std::uint32_t page) {
  namespace um = jet::usage_map;
  const jet::RowLocation loc = jet::RowLocation::fromPointer(pointer);
  const std::size_t row = rowRange(image, loc.page, loc.row).start;
  if (row == 0) throw std::out_of_range("usage map row unreadable");
  std::uint32_t bit = page;
  std::size_t bitmap = 0;
  if (getByte(image, row + um::kType) == um::kInline) {
    bit -= getU32(image, row + um::kStartPage);
    if (bit >= um::kInlinePages) throw std::out_of_range("page outside the inline map");
    bitmap = row + um::kInlineBitmap;
  } else {
    const std::uint32_t index = page / um::kPagesPerMapPage;
    if (index >= um::kPagePointerCount) throw std::out_of_range("page outside the map");
    bit %= um::kPagesPerMapPage;
    bitmap = at(getU32(image, row + um::kPagePointers + 4 * index), um::kMapPageBitmap);
  }
  return {bitmap + bit / 8, static_cast<std::uint8_t>(1u << (bit % 8))};
}

}  // namespace

void markInMap(std::string& image, std::uint32_t pointer, std::uint32_t page, bool set) {
  const auto [byte, bit] = usageMapBit(image, pointer, page);
  setByte(image, byte, set ? getByte(image, byte) | bit : getByte(image, byte) & ~bit);
}

namespace {
// Writes `bytes` at `offset` of the header's masked block as it reads once
// unmasked (unmasked, written, masked again).
void setMaskedBytes(std::string& image, std::size_t offset, const std::string& bytes) {
  need(image, 0, jet::kPageSize);
  std::span<std::byte> page(reinterpret_cast<std::byte*>(image.data()), jet::kPageSize);
  jet::toggleHeaderMask(page);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    setByte(image, offset + i, static_cast<std::uint8_t>(bytes[i]));
  }
  jet::toggleHeaderMask(page);
}

}  // namespace

std::string withPasswordBytes(std::string image, const std::string& bytes) {
  setMaskedBytes(image, jet::header_page::kPassword, bytes);
  return image;
}

std::string corpusImage(const std::string& name) { return readFile(corpusFile(name)); }

}  // namespace testing_support
