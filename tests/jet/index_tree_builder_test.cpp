// Building index trees for the writer: what it builds, the walker reads back
// clean and whole.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "jet/index/index_key.h"
#include "jet/model/index_walker.h"
#include "jet/write/index_tree_builder.h"

namespace jet {
namespace {

namespace ip = index_page;
constexpr std::uint32_t kOwner = 29;

// Pages in memory: page 0 is never handed out, as in a real file.
struct MemoryPages {
  std::string bytes = std::string(ip::kPageSize, '\0');
  std::uint32_t count() const { return static_cast<std::uint32_t>(bytes.size() / ip::kPageSize); }
  PageAllocator allocator() {
    return [this]() -> Result<std::uint32_t> {
      bytes.resize(bytes.size() + ip::kPageSize, '\0');
      return count() - 1;
    };
  }
  PageWriter writer() {
    return [this](std::uint32_t n, std::span<const std::byte> page) -> Status {
      std::memcpy(bytes.data() + std::size_t(n) * ip::kPageSize, page.data(), page.size());
      return okStatus();
    };
  }
  PageFetch fetch() const {
    return [this](std::uint32_t n) -> Result<ByteView> {
      return ByteView(bytes.data() + std::size_t(n) * ip::kPageSize, ip::kPageSize);
    };
  }
};

std::vector<IndexEntry> textEntries(int n, std::size_t length) {
  std::vector<IndexEntry> out;
  for (int i = 0; i < n; ++i) {
    std::string text = std::to_string(100000 + i) + std::string(length, 'x');
    std::vector<std::byte> key;
    EXPECT_TRUE(appendKeyColumn({ColumnType::kText, true}, Text{text}, key).ok());
    out.push_back(IndexEntry{std::move(key), 0x100u + std::uint32_t(i / 40), std::uint8_t(i % 40), 0});
  }
  return out;
}

// Builds, walks, and checks the walk found exactly the entries, cleanly.
BuiltIndexTree roundTrip(const std::vector<IndexEntry>& entries) {
  MemoryPages pages;
  auto tree = buildIndexTree(entries, kOwner, pages.allocator(), pages.writer());
  EXPECT_TRUE(tree.ok());
  if (!tree) return {};
  FindingList findings;
  std::vector<IndexEntry> walked;
  IndexWalkTarget t{pages.fetch(), pages.count(), tree->root, kOwner, "T", "I"};
  auto walk = walkIndex(t, findings, [&](const IndexEntry& e, std::uint32_t) { walked.push_back(e); });
  EXPECT_TRUE(walk.ok());
  for (const Finding& f : findings.findings()) ADD_FAILURE() << f.toString();
  EXPECT_EQ(walked, entries);
  EXPECT_EQ(walk->depth, tree->depth);
  EXPECT_EQ(std::set<std::uint32_t>(walk->pages.begin(), walk->pages.end()),
            std::set<std::uint32_t>(tree->pages.begin(), tree->pages.end()));
  EXPECT_EQ(tree->pages.size() + 1, pages.count());  // every allocated page is used
  return *tree;
}

TEST(IndexTreeBuilderTest, SmallIndexesAreOneLeaf) {
  EXPECT_EQ(roundTrip({}).pages.size(), 1u);
  EXPECT_EQ(roundTrip(textEntries(1, 3)).depth, 0);
  EXPECT_EQ(roundTrip(textEntries(50, 3)).pages.size(), 1u);
}

TEST(IndexTreeBuilderTest, LargeIndexesGrowLevelsAndReadBackWhole) {
  // Short keys: many entries per page, one intermediate level.
  BuiltIndexTree wide = roundTrip(textEntries(20000, 0));
  EXPECT_EQ(wide.depth, 1);
  EXPECT_GT(wide.pages.size(), 50u);
  // Keys of ~200 bytes: a handful per page, several levels.
  BuiltIndexTree deep = roundTrip(textEntries(3000, 200));
  EXPECT_GE(deep.depth, 3);
}

TEST(IndexTreeBuilderTest, UnsortedEntriesAndFailingStorageAreErrors) {
  std::vector<IndexEntry> entries = textEntries(3, 0);
  std::swap(entries[0], entries[2]);
  MemoryPages pages;
  auto unsorted = buildIndexTree(entries, kOwner, pages.allocator(), pages.writer());
  ASSERT_FALSE(unsorted.ok());
  EXPECT_EQ(unsorted.error().number(), errc::kInvalidArgument);

  PageAllocator full = []() -> Result<std::uint32_t> { return Error(errc::kDiskFull); };
  auto noRoom = buildIndexTree(textEntries(3, 0), kOwner, full, pages.writer());
  ASSERT_FALSE(noRoom.ok());
  EXPECT_EQ(noRoom.error().number(), errc::kDiskFull);
}

}  // namespace
}  // namespace jet
