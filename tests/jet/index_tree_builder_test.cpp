// Building index trees for the writer: what it builds, the walker reads back
// clean and whole.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
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

// The shape Access gives intermediate pages, over many sizes (so that some
// level ends with a lone child to rebalance): each has a tail and at least
// one entry, and is linked only to neighbours under the same parent.
TEST(IndexTreeBuilderTest, IntermediatePagesHaveTwoChildrenAndLinksUnderOneParent) {
  for (int n : {9, 17, 40, 57, 64, 71, 100, 150, 233, 400, 777, 3000, 4321}) {
    SCOPED_TRACE(n);
    MemoryPages pages;
    const std::vector<IndexEntry> entries = textEntries(n, 230);
    auto tree = buildIndexTree(entries, kOwner, pages.allocator(), pages.writer());
    ASSERT_TRUE(tree.ok());
    std::map<std::uint32_t, std::uint32_t> parent;
    std::map<std::uint32_t, IndexPage> decoded;
    for (std::uint32_t p : tree->pages) {
      FindingList sink;
      auto page = decodeIndexPage(pages.fetch()(p).value(), p, sink);
      ASSERT_TRUE(page);
      if (page->leaf) continue;
      EXPECT_GE(page->entries.size(), 1u);
      EXPECT_NE(page->tailPage, 0u);
      for (const IndexEntry& e : page->entries) parent[e.child] = p;
      parent[page->tailPage] = p;
      decoded.emplace(p, std::move(*page));
    }
    if (n >= 3000) ASSERT_GE(tree->depth, 3);  // level 1 spans several parents
    // Siblings link both ways: the page before names this one as its next.
    for (const auto& [p, page] : decoded) {
      if (page.prevPage != 0) EXPECT_EQ(parent[page.prevPage], parent[p]);
      if (page.nextPage == 0) continue;
      EXPECT_EQ(parent[page.nextPage], parent[p]);
      auto next = decoded.find(page.nextPage);
      ASSERT_NE(next, decoded.end());
      EXPECT_EQ(next->second.prevPage, p);
    }
    EXPECT_EQ(roundTrip(entries).entries, std::uint64_t(n));
  }
}

// Streaming entries one at a time gives the same tree as the whole span, and
// counts distinct keys for the table definition's statistics.
TEST(IndexTreeBuilderTest, StreamedEntriesAndDistinctKeys) {
  std::vector<IndexEntry> entries;
  for (int i = 0; i < 3000; ++i) {
    std::vector<std::byte> key;
    ASSERT_TRUE(appendKeyColumn({ColumnType::kLong, true}, Value{std::int32_t(i / 3)}, key).ok());
    entries.push_back(IndexEntry{key, 0x200u + std::uint32_t(i / 100), std::uint8_t(i % 100), 0});
  }
  MemoryPages whole, streamed;
  auto a = buildIndexTree(entries, kOwner, whole.allocator(), whole.writer());
  ASSERT_TRUE(a.ok());
  PageAllocator allocate = streamed.allocator();
  PageWriter write = streamed.writer();
  IndexTreeBuilder builder(kOwner, allocate, write);
  for (const IndexEntry& e : entries) ASSERT_TRUE(builder.add(e).ok());
  auto b = builder.finish();
  ASSERT_TRUE(b.ok());
  EXPECT_EQ(whole.bytes, streamed.bytes);
  EXPECT_EQ(b->entries, 3000u);
  EXPECT_EQ(b->distinctKeys, 1000u);
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
