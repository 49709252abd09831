#include "jet/write/index_tree_builder.h"

#include <array>

namespace jet {
namespace {

// One page of a level being built: its entries and, on intermediate pages,
// its tail child; `last` is the last leaf entry below it.
struct PendingPage {
  IndexPageBuilder builder;
  std::uint32_t tail = 0;
  IndexEntry last;
};

// Numbers, links and writes one level; returns the pages' numbers.
Result<std::vector<std::uint32_t>> writeLevel(const std::vector<PendingPage>& level,
                                              std::uint32_t owner, const PageAllocator& allocate,
                                              const PageWriter& write, BuiltIndexTree& tree) {
  std::vector<std::uint32_t> numbers;
  for (std::size_t i = 0; i < level.size(); ++i) {
    JET_TRY(std::uint32_t n, allocate());
    numbers.push_back(n);
  }
  std::array<std::byte, index_page::kPageSize> page{};
  for (std::size_t i = 0; i < level.size(); ++i) {
    const std::uint32_t prev = i > 0 ? numbers[i - 1] : 0;
    const std::uint32_t next = i + 1 < level.size() ? numbers[i + 1] : 0;
    JET_CHECK(level[i].builder.write(owner, prev, next, level[i].tail, page));
    JET_CHECK(write(numbers[i], page));
    tree.pages.push_back(numbers[i]);
  }
  return numbers;
}

}  // namespace

Result<BuiltIndexTree> buildIndexTree(std::span<const IndexEntry> sorted, std::uint32_t owner,
                                      const PageAllocator& allocate, const PageWriter& write) {
  BuiltIndexTree tree;
  // Leaves.
  std::vector<PendingPage> level(1, PendingPage{IndexPageBuilder(true), 0, {}});
  for (std::size_t i = 0; i < sorted.size(); ++i) {
    if (i > 0 && !(sorted[i - 1] < sorted[i])) return Error(errc::kInvalidArgument);
    if (!level.back().builder.fits(sorted[i])) {
      if (level.back().builder.empty()) return Error(errc::kTooLarge, "clave de índice");
      level.push_back(PendingPage{IndexPageBuilder(true), 0, {}});
    }
    level.back().builder.add(sorted[i]);
    level.back().last = sorted[i];
  }
  JET_TRY(std::vector<std::uint32_t> numbers, writeLevel(level, owner, allocate, write, tree));

  // Intermediate levels until one page remains.
  while (level.size() > 1) {
    std::vector<PendingPage> parents(1, PendingPage{IndexPageBuilder(false), 0, {}});
    for (std::size_t i = 0; i < level.size(); ++i) {
      PendingPage& parent = parents.back();
      IndexEntry up = level[i].last;
      up.child = numbers[i];
      parent.last = level[i].last;
      // The last child of a page is its tail: it needs no entry. A child whose
      // entry does not fit closes the page as its tail.
      if (i + 1 == level.size() || !parent.builder.fits(up)) {
        parent.tail = numbers[i];
        if (i + 1 < level.size()) parents.push_back(PendingPage{IndexPageBuilder(false), 0, {}});
        continue;
      }
      parent.builder.add(std::move(up));
    }
    level = std::move(parents);
    JET_TRY(numbers, writeLevel(level, owner, allocate, write, tree));
    ++tree.depth;
  }
  tree.root = numbers.front();
  return tree;
}

}  // namespace jet
