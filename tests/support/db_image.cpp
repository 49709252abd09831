#include "tests/support/db_image.h"

#include <cstring>
#include <stdexcept>

#include "tests/support/corpus.h"
#include "tests/support/damage.h"

namespace testing_support {

DbImage DbImage::load(const std::filesystem::path& path) { return DbImage(readFile(path)); }

jet::ByteView DbImage::page(std::uint32_t n) const {
  if (n >= pageCount()) throw std::out_of_range("page past the end of the image");
  return jet::ByteView(bytes_.data() + std::size_t(n) * kPageSize, kPageSize);
}

std::uint8_t DbImage::pageType(std::uint32_t n) const { return *page(n).u8(0); }

jet::PageFetch DbImage::fetch() const {
  return [this](std::uint32_t n) -> jet::Result<jet::ByteView> {
    if (n >= pageCount()) return jet::Error::corrupt(n, "página fuera del archivo");
    return page(n);
  };
}

void DbImage::setByte(std::uint32_t page, std::size_t offset, std::uint8_t value) {
  testing_support::setByte(bytes_, at(page, offset), value);
}

void DbImage::setU16(std::uint32_t page, std::size_t offset, std::uint16_t value) {
  testing_support::setU16(bytes_, at(page, offset), value);
}

void DbImage::setU32(std::uint32_t page, std::size_t offset, std::uint32_t value) {
  testing_support::setU32(bytes_, at(page, offset), value);
}

void DbImage::wipePage(std::uint32_t page, std::byte fill) {
  std::memset(bytes_.data() + std::size_t(page) * kPageSize, std::to_integer<int>(fill), kPageSize);
}

void DbImage::resize(std::uint32_t pages) { bytes_.resize(std::size_t(pages) * kPageSize, '\0'); }

void DbImage::save(const std::filesystem::path& path) const { writeFile(path, bytes_); }

}  // namespace testing_support
