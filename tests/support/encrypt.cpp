#include "tests/support/encrypt.h"

#include <span>

#include "jet/format/header_page.h"
#include "jet/io/page_source.h"
#include "tests/support/damage.h"

namespace testing_support {

std::string encryptImage(std::string image, std::uint32_t key) {
  std::span<std::byte> bytes(reinterpret_cast<std::byte*>(image.data()), image.size());
  jet::toggleHeaderMask(bytes.first(jet::kPageSize));
  setU32(image, jet::header_page::kDatabaseKey, key);
  jet::toggleHeaderMask(bytes.first(jet::kPageSize));
  for (std::uint32_t page = 1; (page + 1) * jet::kPageSize <= image.size(); ++page) {
    jet::PageSource::applyCipher(key, page, bytes.subspan(page * jet::kPageSize, jet::kPageSize));
  }
  return image;
}

}  // namespace testing_support
