// Builds an index B-tree, as Access lays one out, from entries in key order.
//
// Leaves are filled in order (each page shares the longest common prefix of
// its entries) and double-linked; above them each intermediate page holds,
// for each child but its last, a copy of the child's last leaf entry and the
// child's page, and names its last child as its tail (FACTS.md). Levels are
// added until one page remains: the root, which the table definition names as
// the index's first page. An empty index is one empty leaf.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "jet/core/result.h"
#include "jet/format/index_page.h"

namespace jet {

struct BuiltIndexTree {
  std::uint32_t root = 0;
  std::vector<std::uint32_t> pages;  // every page written (the index's usage map)
  int depth = 0;                     // levels above the leaves
};

// Hands out a new page number for the tree.
using PageAllocator = std::function<Result<std::uint32_t>()>;
// Stores a finished page (kPageSize bytes).
using PageWriter = std::function<Status(std::uint32_t page, std::span<const std::byte> bytes)>;

// Requires: `sorted` in ascending (key, page, row) order, every entry small
// enough for a page. `owner` is the table's TDEF page. Fails with the
// allocator's or writer's error, or 3001 when the entries are not sorted.
Result<BuiltIndexTree> buildIndexTree(std::span<const IndexEntry> sorted, std::uint32_t owner,
                                      const PageAllocator& allocate, const PageWriter& write);

}  // namespace jet
