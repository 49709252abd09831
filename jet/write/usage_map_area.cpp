#include "jet/write/usage_map_area.h"

#include <algorithm>

#include "jet/format/data_page.h"
#include "jet/format/usage_map.h"

namespace jet {

Result<std::vector<std::uint32_t>> UsageMapArea::reserve(PageOutput& out, std::size_t rows) {
  std::vector<std::uint32_t> pointers;
  for (std::size_t i = 0; i < rows; ++i) {
    if (pages_.empty() || !pages_.back().fits(usage_map::kRowSize)) {
      JET_TRY(std::uint32_t page, out.allocate());
      pageNumbers_.push_back(page);
      pages_.emplace_back(0);
    }
    const std::uint8_t slot = pages_.back().reserve(usage_map::kRowSize);
    pointers.push_back(RowLocation{pageNumbers_.back(), slot}.pointer());
  }
  return pointers;
}

std::span<std::byte> UsageMapArea::row(std::uint32_t pointer) {
  const RowLocation at = RowLocation::fromPointer(pointer);
  const auto it = std::find(pageNumbers_.begin(), pageNumbers_.end(), at.page);
  return pages_[static_cast<std::size_t>(it - pageNumbers_.begin())].row(at.row);
}

Status UsageMapArea::write(PageOutput& out) {
  for (std::size_t i = 0; i < pages_.size(); ++i) JET_CHECK(out.write(pageNumbers_[i], pages_[i].bytes()));
  return okStatus();
}

}  // namespace jet
