#include "jet/write/index_tree_builder.h"

#include <array>

namespace jet {

IndexTreeBuilder::IndexTreeBuilder(std::uint32_t owner, const PageAllocator& allocate,
                                   const PageWriter& write)
    : owner_(owner), allocate_(allocate), write_(write) {}

Status IndexTreeBuilder::closeLeaf(std::uint32_t next) {
  std::array<std::byte, kPageSize> page{};
  JET_CHECK(leaf_.write(owner_, prevLeaf_, next, 0, page));
  JET_CHECK(write_(leafPage_, page));
  tree_.pages.push_back(leafPage_);
  if (!leaf_.empty()) leaves_.push_back(Child{leafPage_, leaf_.last()});
  prevLeaf_ = leafPage_;
  leafPage_ = next;
  leaf_ = IndexPageBuilder(true);
  return okStatus();
}

Status IndexTreeBuilder::add(IndexEntry entry) {
  if (previous_ && !(*previous_ < entry)) return Error(errc::kInvalidArgument);
  if (!previous_ || compareKeys(previous_->key, entry.key) != 0) ++tree_.distinctKeys;
  ++tree_.entries;
  if (leafPage_ == 0) {
    JET_TRY(leafPage_, allocate_());
  }
  if (!leaf_.fits(entry)) {
    if (leaf_.empty()) return Error(errc::kTooLarge, "clave de índice");
    JET_TRY(std::uint32_t next, allocate_());
    JET_CHECK(closeLeaf(next));
    if (!leaf_.fits(entry)) return Error(errc::kTooLarge, "clave de índice");
  }
  previous_ = entry;
  leaf_.add(std::move(entry));
  return okStatus();
}

// Where each page of the level above `children` starts: a page takes entries
// for its children while they fit, and the child whose entry no longer fits
// (or the very last) becomes its tail. A last page left with one child takes
// its neighbour's tail, so that every page has at least two children.
std::vector<std::size_t> IndexTreeBuilder::groupStarts(const std::vector<Child>& children) {
  std::vector<std::size_t> starts{0};
  IndexPageBuilder probe(false);
  for (std::size_t i = 0; i + 1 < children.size(); ++i) {
    IndexEntry up = children[i].last;
    up.child = children[i].page;
    if (probe.fits(up)) {
      probe.add(std::move(up));
      continue;
    }
    probe = IndexPageBuilder(false);
    starts.push_back(i + 1);
  }
  if (starts.size() > 1 && starts.back() + 1 == children.size()) --starts.back();
  return starts;
}

// Writes the pages of the level above `children` and returns them as the
// children of the next level.
Result<std::vector<IndexTreeBuilder::Child>> IndexTreeBuilder::buildLevel(
    const std::vector<Child>& children) {
  const std::vector<std::size_t> starts = groupStarts(children);
  auto endOf = [&](std::size_t p) { return p + 1 < starts.size() ? starts[p + 1] : children.size(); };
  std::vector<Child> pages;
  for (std::size_t p = 0; p < starts.size(); ++p) {
    if (endOf(p) - starts[p] < 2) return Error(errc::kTooLarge, "clave de índice");
    JET_TRY(std::uint32_t n, allocate_());
    pages.push_back(Child{n, children[endOf(p) - 1].last});
  }
  // Neighbours are linked only under the same parent: the grouping the next
  // level will make of these pages.
  std::vector<std::size_t> parentOf(pages.size(), 0);
  if (pages.size() > 1) {
    const std::vector<std::size_t> above = groupStarts(pages);
    for (std::size_t q = 0, p = 0; p < pages.size(); ++p) {
      if (q + 1 < above.size() && p == above[q + 1]) ++q;
      parentOf[p] = q;
    }
  }
  std::array<std::byte, kPageSize> bytes{};
  for (std::size_t p = 0; p < starts.size(); ++p) {
    IndexPageBuilder page(false);
    for (std::size_t i = starts[p]; i + 1 < endOf(p); ++i) {
      IndexEntry up = children[i].last;
      up.child = children[i].page;
      page.add(std::move(up));
    }
    const bool hasPrev = p > 0 && parentOf[p - 1] == parentOf[p];
    const bool hasNext = p + 1 < starts.size() && parentOf[p + 1] == parentOf[p];
    JET_CHECK(page.write(owner_, hasPrev ? pages[p - 1].page : 0,
                         hasNext ? pages[p + 1].page : 0, children[endOf(p) - 1].page, bytes));
    JET_CHECK(write_(pages[p].page, bytes));
    tree_.pages.push_back(pages[p].page);
  }
  return pages;
}

Result<BuiltIndexTree> IndexTreeBuilder::finish() {
  if (leafPage_ == 0) {
    JET_TRY(leafPage_, allocate_());
  }
  const std::uint32_t only = leafPage_;
  JET_CHECK(closeLeaf(0));
  if (leaves_.size() <= 1) {
    tree_.root = only;
    return std::move(tree_);
  }
  std::vector<Child> level = std::move(leaves_);
  while (level.size() > 1) {
    JET_TRY(level, buildLevel(level));
    ++tree_.depth;
  }
  tree_.root = level.front().page;
  return std::move(tree_);
}

Result<BuiltIndexTree> buildIndexTree(std::span<const IndexEntry> sorted, std::uint32_t owner,
                                      const PageAllocator& allocate, const PageWriter& write) {
  IndexTreeBuilder builder(owner, allocate, write);
  for (const IndexEntry& e : sorted) JET_CHECK(builder.add(e));
  return builder.finish();
}

}  // namespace jet
