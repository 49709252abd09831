// Rows that a torn write shows twice.
//
// A crash while Access writes a 2048-byte page can leave it torn at a disk
// sector (512 bytes): its first sectors new, the others as the disk held them
// before. When those others hold the same sectors of another data page of the
// same table (a page that was there before, or whose image the disk wrote
// there), the torn page's header and row offsets, which are its own, cut
// that other page's rows exactly where that page cuts them whenever the two
// pages lay their rows out alike (rows of one size, pages filled alike): its
// slots then read the other page's rows a second time, and nothing in the
// torn page itself shows it. What shows it is the other page: a live row
// whose bytes lie wholly in sectors that equal, byte for byte, the same
// sectors of an earlier page of the table, where that page has a live row in
// exactly the same place, is that page's row read twice. The rows the torn
// page held there are lost. (A page copied whole over another shows the same
// way, its first sector included.)
//
// Two sound pages of one table never share such a sector with live rows in
// it on both (checked on every data page of the 66 corpus files: the equal
// sectors found lie on pages whose rows there were deleted or moved).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <unordered_map>

#include "jet/format/data_page.h"
#include "jet/io/page_source.h"

namespace jet {

class TornPageGuard {
 public:
  // Requires: `pages` outlives the guard.
  explicit TornPageGuard(const PageSource& pages) : pages_(pages) {}

  // Moves to `page`, the next data page of the table in the order its rows
  // are read. Fails only on an I/O error.
  Status enter(const Page& page);

  // True iff some sector of the current page equals the same sector of an
  // earlier page (only then can copyOf() find a row).
  bool sharesSectors() const {
    for (std::uint32_t p : sameAs_) {
      if (p != 0) return true;
    }
    return false;
  }

  // The earlier page whose live row at [start, end) the current page's live
  // row there repeats, or nullopt.
  Result<std::optional<std::uint32_t>> copyOf(std::uint16_t start, std::uint16_t end) const;

 private:
  static constexpr std::size_t kSector = 512;
  static constexpr std::size_t kSectors = kPageSize / kSector;

  const PageSource& pages_;
  // (sector, hash of its bytes) -> the first page read with such a sector.
  std::unordered_map<std::uint64_t, std::uint32_t> first_;
  // For the current page: per sector, the earlier page whose same sector is
  // equal byte for byte, or 0 (page 0 is never a data page).
  std::array<std::uint32_t, kSectors> sameAs_{};
};

}  // namespace jet
