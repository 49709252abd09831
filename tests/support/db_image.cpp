#include "tests/support/db_image.h"

#include <stdexcept>

#include "tests/support/corpus.h"

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

}  // namespace testing_support
