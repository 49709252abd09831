#include "jet/io/page_source.h"

#include <algorithm>
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

PageSource PageSource::sibling() const {
  PageSource other(bytes_, pageCount_, trailingBytes_);
  other.partialIncluded_ = partialIncluded_;
  other.key_ = key_;
  return other;
}

void PageSource::setDatabaseKey(std::uint32_t key) {
  key_ = key;
  cache_->slots.fill(nullptr);
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

Page& PageSource::freshSlot(std::uint32_t number) const {
  std::shared_ptr<Page>& slot = cache_->slots[number % kCacheSlots];
  if (!slot || slot.use_count() > 1) slot = std::make_shared<Page>();
  slot->number = number;
  return *slot;
}

void PageSource::includePartialPage() {
  if (partialIncluded_ || trailingBytes_ == 0) return;
  partialIncluded_ = true;
  ++pageCount_;
}

std::size_t PageSource::validBytes(std::uint32_t number) const {
  return partialIncluded_ && number + 1 == pageCount_ ? trailingBytes_ : kPageSize;
}

Result<PageRef> PageSource::read(std::uint32_t number) const {
  if (number >= pageCount_) {
    return Error::corrupt(number, "la página está fuera del archivo");
  }
  Cache& cache = *cache_;
  if (const auto& slot = cache.slots[number % kCacheSlots]; slot && slot->number == number) {
    return PageRef(slot);
  }
  // A run when this read continues one that went forward; a run stops at the
  // last whole page.
  std::size_t stream = 0;
  bool forward = false;
  for (std::size_t i = 0; i < kStreams; ++i) {
    if (cache.streamEnds[i] + 1 == number) {
      stream = i;
      forward = true;
      break;
    }
    if (cache.streamUsed[i] < cache.streamUsed[stream]) stream = i;
  }
  const std::uint32_t count = forward ? std::min(kRunPages, pageCount_ - number) : 1;
  // The buffer keeps a whole run's size: a shorter read uses its start, and
  // is not paid for with zeros written over the rest.
  if (cache.run.size() < std::size_t{kRunPages} * kPageSize) {
    cache.run.resize(std::size_t{kRunPages} * kPageSize);
  }
  JET_TRY(std::size_t n,
          bytes_->readAt(std::uint64_t{number} * kPageSize,
                         std::span<std::byte>(cache.run).first(std::size_t{count} * kPageSize)));
  // The pages the read brought whole (an included partial page as far as the
  // file goes, zeros after).
  std::uint32_t got = 0;
  while (got < count && n >= std::size_t{got} * kPageSize + validBytes(number + got)) ++got;
  if (got == 0) return Error::corrupt(number, "el archivo se ha acortado");
  for (std::uint32_t i = 0; i < got; ++i) {
    Page& page = freshSlot(number + i);
    const auto from = cache.run.begin() + std::ptrdiff_t{i} * std::ptrdiff_t{kPageSize};
    const std::size_t valid = validBytes(number + i);
    std::copy_n(from, valid, page.bytes.begin());
    std::fill(page.bytes.begin() + static_cast<std::ptrdiff_t>(valid), page.bytes.end(), std::byte{0});
    applyCipher(key_, number + i, page.bytes);
  }
  cache.streamEnds[stream] = number + got - 1;
  cache.streamUsed[stream] = ++cache.clock;
  return PageRef(cache.slots[number % kCacheSlots]);
}

}  // namespace jet
