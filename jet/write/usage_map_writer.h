// Usage maps for a new file (usage_map.h): which pages a table, an index or
// a long-value column owns, and which have room.
//
// A map's row is usage_map::kRowSize bytes of either type. Pages that span
// fewer than 1024 page numbers make an inline map: it starts at page 0 when
// they all lie below 1024, as Access's maps of small files do, else at the
// first of them. Wider sets make a page-referenced map whose bitmap pages
// (type 0x05) are taken from the PageOutput. Free-space maps are always
// inline (Access never makes them otherwise): one that would span more keeps
// its last 1024 pages, which is harmless since it only guides insertions.
#pragma once

#include <cstdint>
#include <span>

#include "jet/core/result.h"
#include "jet/write/page_output.h"

namespace jet {

// Fills `row` (kRowSize bytes) with the map of `pages` (ascending, unique).
Status encodeUsageMap(std::span<const std::uint32_t> pages, std::span<std::byte> row,
                      PageOutput& out);

// Fills `row` with an inline map of `pages` (ascending, unique), keeping
// those of the last 1024 page numbers when they span more.
void encodeInlineMap(std::span<const std::uint32_t> pages, std::span<std::byte> row);

// The free-page map of page 1 (row 0) for a file of `pageCount` pages with
// no free page: every page from pageCount to the end of the map's range is
// marked free, as in Access's files.
void encodeFreePageMap(std::uint32_t pageCount, std::span<std::byte> row);

}  // namespace jet
