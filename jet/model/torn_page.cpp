#include "jet/model/torn_page.h"

#include <algorithm>
#include <functional>
#include <string_view>

namespace jet {
namespace {

std::string_view sectorOf(const Page& page, std::size_t sector, std::size_t size) {
  return {reinterpret_cast<const char*>(page.bytes.data()) + sector * size, size};
}

bool allZero(std::string_view bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](char c) { return c == 0; });
}

}  // namespace

Status TornPageGuard::enter(const Page& page) {
  sameAs_.fill(0);
  // Sector 0 too: a page copied whole over another repeats it all.
  for (std::size_t s = 0; s < kSectors; ++s) {
    const std::string_view bytes = sectorOf(page, s, kSector);
    if (allZero(bytes)) continue;
    const std::uint64_t key = std::hash<std::string_view>{}(bytes) * kSectors + s;
    auto [it, inserted] = first_.emplace(key, page.number);
    if (inserted || it->second == page.number) continue;
    JET_TRY(PageRef earlier, pages_.read(it->second));
    if (sectorOf(*earlier, s, kSector) == bytes) sameAs_[s] = it->second;
  }
  return okStatus();
}

Result<std::optional<std::uint32_t>> TornPageGuard::copyOf(std::uint16_t start,
                                                          std::uint16_t end) const {
  if (start >= end) return std::optional<std::uint32_t>{};
  const std::size_t first = start / kSector, last = (end - 1) / kSector;
  const std::uint32_t other = sameAs_[first];
  if (other == 0) return std::optional<std::uint32_t>{};
  for (std::size_t s = first; s <= last; ++s) {
    if (sameAs_[s] != other) return std::optional<std::uint32_t>{};
  }
  // The earlier page must read a row there itself.
  JET_TRY(PageRef page, pages_.read(other));
  auto data = DataPage::decode(page->view(), other);
  if (!data) return std::optional<std::uint32_t>{};
  for (std::uint16_t row = 0; row < data->rowCount(); ++row) {
    auto slot = data->slot(row);
    if (slot && slot->start == start && slot->end == end &&
        (slot->kind == SlotKind::kLive || slot->kind == SlotKind::kMoved)) {
      return std::optional<std::uint32_t>{other};
    }
  }
  return std::optional<std::uint32_t>{};
}

}  // namespace jet
