// Builds an index B-tree, as Access lays one out, from entries in key order.
//
// Leaves are filled in order (each page shares the longest common prefix of
// its entries) and double-linked from the first to the last. Above them each
// intermediate page holds, for each child but its last, a copy of the
// child's last leaf entry and the child's page, and names its last child as
// its tail (docs/format.md, "Index pages"); so every intermediate page has two children or more.
// Intermediate pages are linked to their neighbours under the same parent
// only, as Access links them. Levels are added until one page remains: the
// root, which the table definition names as the index's first page. An empty
// index is one empty leaf.
//
// Leaves are written as they fill, so memory holds one leaf and one entry per
// leaf for the levels above (a few MB for the largest Jet 3 table). Pages are
// taken from the allocator in order: every leaf, then each level upwards, the
// root last.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "jet/core/result.h"
#include "jet/format/index_page.h"

namespace jet {

struct BuiltIndexTree {
  std::uint32_t root = 0;
  std::vector<std::uint32_t> pages;  // every page written (the index's usage map)
  int depth = 0;                     // levels above the leaves
  std::uint64_t entries = 0;
  std::uint64_t distinctKeys = 0;    // the statistic the table definition keeps
};

// Hands out a new page number for the tree.
using PageAllocator = std::function<Result<std::uint32_t>()>;
// Stores a finished page (kPageSize bytes).
using PageWriter = std::function<Status(std::uint32_t page, std::span<const std::byte> bytes)>;

class IndexTreeBuilder {
 public:
  // `owner` is the table's TDEF page. Requires: the functions outlive the
  // builder.
  IndexTreeBuilder(std::uint32_t owner, const PageAllocator& allocate, const PageWriter& write);

  // Adds the next entry. Fails with 3001 when it is not above the previous
  // one, 3035 when it cannot fit on a page, or with the storage's error.
  Status add(IndexEntry entry);
  // Writes what remains and the levels above the leaves.
  Result<BuiltIndexTree> finish();

 private:
  struct Child {
    std::uint32_t page = 0;
    IndexEntry last;  // the last leaf entry below it
  };
  Status closeLeaf(std::uint32_t next);
  static std::vector<std::size_t> groupStarts(const std::vector<Child>& children);
  Result<std::vector<Child>> buildLevel(const std::vector<Child>& children);

  std::uint32_t owner_;
  const PageAllocator& allocate_;
  const PageWriter& write_;
  IndexPageBuilder leaf_{true};
  std::uint32_t leafPage_ = 0;
  std::uint32_t prevLeaf_ = 0;
  std::optional<IndexEntry> previous_;
  std::vector<Child> leaves_;
  BuiltIndexTree tree_;
};

// The whole tree of `sorted` at once (entries in ascending (key, page, row)
// order).
Result<BuiltIndexTree> buildIndexTree(std::span<const IndexEntry> sorted, std::uint32_t owner,
                                      const PageAllocator& allocate, const PageWriter& write);

}  // namespace jet
