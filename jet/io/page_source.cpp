#include "jet/io/page_source.h"

#include <limits>

#include "jet/io/rc4.h"

namespace jet {

Result<PageSource> PageSource::create(const ByteSource& bytes) {
  JET_TRY(std::uint64_t size, bytes.size());
  std::uint64_t count = size / kPageSize;
  // Page numbers are 3 bytes in row pointers: no Jet 3 file has more pages.
  if (count > 0xFFFFFF) return Error(errc::kTooLarge, bytes.name());
  return PageSource(&bytes, static_cast<std::uint32_t>(count),
                    static_cast<std::size_t>(size % kPageSize));
}

PageSource PageSource::empty() { return PageSource(nullptr, 0, 0); }

void PageSource::setDatabaseKey(std::uint32_t key) {
  key_ = key;
  cache_->fill(nullptr);
}

void PageSource::applyCipher(std::uint32_t key, std::uint32_t number,
                             std::span<std::byte> page) {
  if (key == 0 || number == 0) return;
  std::uint32_t k = key ^ number;
  const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(k), static_cast<std::uint8_t>(k >> 8),
                                 static_cast<std::uint8_t>(k >> 16),
                                 static_cast<std::uint8_t>(k >> 24)};
  Rc4(bytes).apply(page);
}

Result<PageRef> PageSource::read(std::uint32_t number) const {
  if (number >= pageCount_) {
    return Error::corrupt(number, "la página está fuera del archivo");
  }
  PageRef& slot = (*cache_)[number % kCacheSlots];
  if (slot && slot->number == number) return slot;
  auto page = std::make_shared<Page>();
  page->number = number;
  JET_TRY(std::size_t n, bytes_->readAt(std::uint64_t{number} * kPageSize, page->bytes));
  if (n != kPageSize) return Error::corrupt(number, "el archivo se ha acortado");
  applyCipher(key_, number, page->bytes);
  slot = page;
  return PageRef(std::move(page));
}

}  // namespace jet
