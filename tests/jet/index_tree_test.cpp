// Index B-trees: Access's trees in the corpus walk clean and whole; what the
// tree builder writes, the walker reads back clean and whole; and a built
// tree damaged one way at a time is reported at its place.
//
// Index pages alone: built pages decode back, and damage is refused rather
// than misread.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <string>

#include "jet/format/index_page.h"
#include "jet/index/index_key.h"
#include "jet/model/index_walker.h"
#include "jet/write/index_tree_builder.h"
#include "tests/support/byte_list.h"
#include "tests/support/corpus.h"

namespace jet {
namespace {

using testing_support::bytes;
namespace ip = index_page;
constexpr std::uint32_t kOwner = 29;

// Pages in memory: page 0 is never handed out, as in a real file.
struct MemoryPages {
  std::string bytes = std::string(kPageSize, '\0');
  std::uint32_t count() const { return static_cast<std::uint32_t>(bytes.size() / kPageSize); }
  PageAllocator allocator() {
    return [this]() -> Result<std::uint32_t> {
      bytes.resize(bytes.size() + kPageSize, '\0');
      return count() - 1;
    };
  }
  PageWriter writer() {
    return [this](std::uint32_t n, std::span<const std::byte> page) -> Status {
      std::memcpy(bytes.data() + std::size_t(n) * kPageSize, page.data(), page.size());
      return okStatus();
    };
  }
  PageFetch fetch() const {
    return [this](std::uint32_t n) -> Result<ByteView> {
      return ByteView(bytes.data() + std::size_t(n) * kPageSize, kPageSize);
    };
  }
  IndexPage decode(std::uint32_t n) const {
    IgnoreDamage ignore;
    return decodeIndexPage(fetch()(n).value(), n, ignore).value();
  }
  // Writes `page` back at `n` as it now is: entries, links and owner.
  void rewrite(std::uint32_t n, const IndexPage& page) {
    IndexPageBuilder b(page.leaf, page.prefixLength > 0);
    for (const IndexEntry& e : page.entries) b.add(e);
    std::array<std::byte, kPageSize> out{};
    ASSERT_TRUE(b.write(page.owner, page.prevPage, page.nextPage, page.tailPage, out).ok());
    ASSERT_TRUE(writer()(n, out).ok());
  }
};

// `n` entries of text keys of about `length` bytes, each key on `repeat` rows.
std::vector<IndexEntry> textEntries(int n, std::size_t length, int repeat = 1) {
  std::vector<IndexEntry> out;
  for (int i = 0; i < n; ++i) {
    std::string text = std::to_string(100000 + i / repeat) + std::string(length, 'x');
    std::vector<std::byte> key;
    EXPECT_TRUE(appendKeyColumn({ColumnType::kText, true}, Text{text}, key).ok());
    out.push_back(IndexEntry{std::move(key), 0x100u + std::uint32_t(i / 40), std::uint8_t(i % 40), 0});
  }
  return out;
}

struct Walk {
  IndexWalkSummary summary;
  std::vector<IndexEntry> entries;
  FindingList findings;
  bool mentions(const std::string& text) const {
    auto says = [&](const Finding& f) { return f.message.find(text) != std::string::npos; };
    return std::ranges::any_of(findings.findings(), says);
  }
};

Walk walk(const MemoryPages& pages, std::uint32_t root) {
  Walk out;
  IndexWalkTarget t{pages.fetch(), pages.count(), root, kOwner, "T", "I"};
  auto r = walkIndex(t, out.findings, [&](const IndexEntry& e, std::uint32_t) { out.entries.push_back(e); });
  EXPECT_TRUE(r.ok());
  if (r) out.summary = *r;
  return out;
}

// Builds into `pages`, walks, and checks the walk found exactly the entries,
// cleanly.
BuiltIndexTree roundTrip(const std::vector<IndexEntry>& entries, MemoryPages& pages) {
  auto tree = buildIndexTree(entries, kOwner, pages.allocator(), pages.writer());
  EXPECT_TRUE(tree.ok());
  if (!tree) return {};
  const Walk w = walk(pages, tree->root);
  for (const Finding& f : w.findings.findings()) ADD_FAILURE() << f.toString();
  EXPECT_EQ(w.entries, entries);
  EXPECT_EQ(w.summary.depth, tree->depth);
  EXPECT_EQ(std::set<std::uint32_t>(w.summary.pages.begin(), w.summary.pages.end()),
            std::set<std::uint32_t>(tree->pages.begin(), tree->pages.end()));
  EXPECT_EQ(tree->pages.size() + 1, pages.count());  // every allocated page is used
  return *tree;
}

// Every index page of the corpus decodes clean and is rebuilt byte for byte:
// Access shares a prefix on some pages only, and then the longest one common
// to all entries, so the same choice gives the same header, mask and
// entries. (That the corpus's trees walk clean and whole is the check's
// promise on every corpus file: repair_test.cpp.)
TEST(IndexPageBuilderTest, CorpusPagesRebuildByteForByte) {
  REQUIRE_CORPUS();
  int decoded = 0, compressed = 0, single = 0;
  for (const auto& path : testing_support::corpusFiles()) {
    SCOPED_TRACE(path.filename().string());
    MemoryPages image{testing_support::readFile(path)};
    for (std::uint32_t n = 0; n < image.count(); ++n) {
      const auto type = static_cast<std::uint8_t>(image.bytes[std::size_t{n} * kPageSize]);
      if (type != ip::kTypeLeaf && type != ip::kTypeIntermediate) continue;
      FindingList findings;
      auto page = decodeIndexPage(image.fetch()(n).value(), n, findings);
      ASSERT_TRUE(page.ok()) << "page " << n << ": " << page.error().toString();
      EXPECT_TRUE(findings.empty()) << "page " << n;
      ++decoded;
      compressed += page->prefixLength > 0;
      // The writer always compresses, and a page of one entry shares nothing.
      IndexPageBuilder builder(page->leaf, page->prefixLength > 0 || page->entries.size() == 1);
      single += page->entries.size() == 1;
      for (const IndexEntry& e : page->entries) {
        ASSERT_TRUE(builder.fits(e)) << "page " << n;
        builder.add(e);
      }
      std::array<std::byte, kPageSize> rebuilt{};
      ASSERT_TRUE(builder.write(page->owner, page->prevPage, page->nextPage, page->tailPage, rebuilt).ok());
      const std::size_t used = kPageSize - page->freeSpace;
      EXPECT_EQ(std::memcmp(rebuilt.data(), image.fetch()(n)->data(), used), 0) << "page " << n;
    }
  }
  EXPECT_GT(decoded, 50);
  EXPECT_GE(compressed, 3);  // the corpus has pages with a shared prefix
  EXPECT_GE(single, 1);      // and pages of one entry
}

// Trees of every size read back whole: a small index is one leaf; short keys
// put many entries on a page, one intermediate level over 20,000; keys of
// ~230 bytes a handful, several levels over 3,000. Over many sizes (so that
// some level ends with a lone child to rebalance) intermediate pages have
// the shape Access gives them: each has a tail and at least one entry, and
// is linked only to neighbours under the same parent. Each key is on two
// rows, and the tree counts the distinct ones.
TEST(IndexTreeBuilderTest, TreesOfEverySizeReadBackWholeInTheShapeAccessGives) {
  struct Size { int n; std::size_t keyLength; int minDepth, maxDepth; };
  std::vector<Size> sizes = {{0, 3, 0, 0}, {1, 3, 0, 0}, {50, 3, 0, 0}, {20000, 0, 1, 1}};
  for (int n : {9, 17, 40, 57, 64, 71, 100, 150, 233, 400, 777, 3000, 4321}) {
    sizes.push_back({n, 230, n >= 3000 ? 3 : 0, 99});  // from 3000, level 1 spans several parents
  }
  for (const auto& [n, keyLength, minDepth, maxDepth] : sizes) {
    SCOPED_TRACE(std::to_string(n) + " keys of " + std::to_string(keyLength));
    MemoryPages pages;
    const BuiltIndexTree tree = roundTrip(textEntries(n, keyLength, 2), pages);
    EXPECT_EQ(tree.distinctKeys, std::uint64_t(n + 1) / 2);  // for the definition's statistics
    EXPECT_GE(tree.depth, minDepth);
    EXPECT_LE(tree.depth, maxDepth);
    std::map<std::uint32_t, std::uint32_t> parent;
    std::map<std::uint32_t, IndexPage> decoded;
    for (std::uint32_t p : tree.pages) {
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
    // Siblings link both ways: the page before names this one as its next.
    for (const auto& [p, page] : decoded) {
      if (page.prevPage != 0) {
        EXPECT_EQ(parent[page.prevPage], parent[p]);
        EXPECT_EQ(decoded.at(page.prevPage).nextPage, p);
      }
      if (page.nextPage == 0) continue;
      EXPECT_EQ(parent[page.nextPage], parent[p]);
      auto next = decoded.find(page.nextPage);
      ASSERT_NE(next, decoded.end());
      EXPECT_EQ(next->second.prevPage, p);
    }
  }
}

TEST(IndexTreeBuilderTest, UnsortedEntriesAndFailingStorageAreErrors) {
  std::vector<IndexEntry> entries = textEntries(3, 0);
  entries[2] = entries[1];  // a repeated entry: each must come after the one before
  MemoryPages pages;
  using testing_support::errorNumber;
  EXPECT_EQ(errorNumber(buildIndexTree(entries, kOwner, pages.allocator(), pages.writer())),
            errc::kInvalidArgument);

  PageAllocator full = []() -> Result<std::uint32_t> { return Error(errc::kDiskFull); };
  EXPECT_EQ(errorNumber(buildIndexTree(textEntries(3, 0), kOwner, full, pages.writer())), errc::kDiskFull);
}

// A built tree of 300 entries: eight leaves or so under one root.
struct Tree {
  Tree() {
    auto tree = buildIndexTree(entries, kOwner, pages.allocator(), pages.writer());
    EXPECT_TRUE(tree.ok());
    root = tree->root;
    for (const IndexEntry& e : pages.decode(root).entries) leaves.push_back(e.child);
    leaves.push_back(pages.decode(root).tailPage);
  }
  std::size_t entriesOn(std::uint32_t page) const { return pages.decode(page).entries.size(); }
  // Changes one thing of page `n` and writes it back.
  void edit(std::uint32_t n, const std::function<void(IndexPage&)>& change) {
    IndexPage page = pages.decode(n);
    change(page);
    pages.rewrite(n, page);
  }

  const std::vector<IndexEntry> entries = textEntries(300, 40);
  MemoryPages pages;
  std::uint32_t root = 0;
  std::vector<std::uint32_t> leaves;  // in key order
};

// One kind of damage made to the tree, the finding it must bring (none when
// null), and the leaf whose entries the walk then loses, if any; damage that
// loses nothing brings that one finding alone.
struct TreeDamage {
  const char* name;
  std::function<void(Tree&)> damage;
  const char* finding;
  enum Lost { kNothing, kTailLeaf, kSecondLeaf } lost = kNothing;
};

void PrintTo(const TreeDamage& c, std::ostream* os) { *os << c.name; }

// The root's first entry bounds its child (the first leaf) from above and the
// next child from below. Access leaves an entry above its child's last one
// when that one's row is deleted; only an entry that misleads a search is
// damage.
void setFirstParentEntry(Tree& t, const IndexEntry& e) {
  t.edit(t.root, [&](IndexPage& p) {
    p.entries[0] = IndexEntry{e.key, e.dataPage, e.dataRow, t.leaves[0]};
  });
}

const TreeDamage kTreeDamage[] = {
    {"NoneInAParentEntryAboveItsChildAndBelowTheNext",
     [](Tree& t) {
       IndexEntry e = t.pages.decode(t.leaves[0]).entries.back();
       ++e.dataRow;
       setFirstParentEntry(t, e);
     },
     nullptr},
    {"ParentEntryBelowItsChildsLast",
     [](Tree& t) {
       const auto first = t.pages.decode(t.leaves[0]).entries;
       setFirstParentEntry(t, first[first.size() - 2]);
     },
     "pasa de la entrada de la página padre"},
    {"ParentEntryAboveTheNextChildsFirst",
     [](Tree& t) { setFirstParentEntry(t, t.pages.decode(t.leaves[1]).entries[1]); },
     "no pasa de la entrada anterior"},
    {"ParentEntryEqualToTheNextChildsFirst",
     [](Tree& t) { setFirstParentEntry(t, t.pages.decode(t.leaves[1]).entries[0]); },
     "no pasa de la entrada anterior"},
    {"EntriesOutOfOrder",
     [](Tree& t) {
       t.edit(t.leaves[1], [](IndexPage& p) { std::swap(p.entries[1].key, p.entries[2].key); });
     },
     "fuera de orden"},
    {"EntryRepeated",
     [](Tree& t) { t.edit(t.leaves[1], [](IndexPage& p) { p.entries[2] = p.entries[1]; }); },
     "fuera de orden"},
    {"LoopBackToTheRootEnds",
     [](Tree& t) { t.edit(t.root, [&](IndexPage& p) { p.tailPage = t.root; }); },
     "dos veces", TreeDamage::kTailLeaf},
    {"ChildOutsideTheFile",
     [](Tree& t) { t.edit(t.root, [](IndexPage& p) { p.tailPage = 9999; }); },
     "fuera del archivo", TreeDamage::kTailLeaf},
    {"ChildThatIsNotAnIndexPage",
     [](Tree& t) { t.pages.bytes[std::size_t{t.leaves[1]} * kPageSize + ip::kType] = '\x01'; },
     "tipo 1", TreeDamage::kSecondLeaf},
    {"PageOfAnotherTable", [](Tree& t) { t.edit(t.leaves[1], [](IndexPage& p) { p.owner = 77; }); },
     "página 77"},
    {"NextLinkSkippingALeaf",
     [](Tree& t) { t.edit(t.leaves[0], [&](IndexPage& p) { p.nextPage = t.leaves[2]; }); },
     "siguiente anotada"},
    {"PreviousLinkMissing",
     [](Tree& t) { t.edit(t.leaves[2], [](IndexPage& p) { p.prevPage = 0; }); },
     "anterior anotada"},
};

class IndexWalkerDamage : public ::testing::TestWithParam<TreeDamage> {};

TEST_P(IndexWalkerDamage, IsReportedAndTheRestIsStillRead) {
  const TreeDamage& c = GetParam();
  Tree tree;
  ASSERT_GE(tree.leaves.size(), 4u);
  std::size_t expected = tree.entries.size();
  if (c.lost == TreeDamage::kTailLeaf) expected -= tree.entriesOn(tree.leaves.back());
  if (c.lost == TreeDamage::kSecondLeaf) expected -= tree.entriesOn(tree.leaves[1]);
  c.damage(tree);
  const Walk w = walk(tree.pages, tree.root);
  if (c.finding) {
    EXPECT_TRUE(w.mentions(c.finding)) << c.finding;
  } else {
    EXPECT_TRUE(w.findings.empty());
  }
  if (c.lost == TreeDamage::kNothing) { EXPECT_EQ(w.findings.total(), c.finding ? 1u : 0u); }
  EXPECT_EQ(w.entries.size(), expected);
}

INSTANTIATE_TEST_SUITE_P(Kinds, IndexWalkerDamage, ::testing::ValuesIn(kTreeDamage),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(IndexWalkerTest, DepthLimitStopsADeepChain) {
  // Intermediate pages 1 -> 2 -> ... -> 29, each with only a tail child.
  MemoryPages pages;
  for (std::uint32_t n = 1; n < 30; ++n) {
    std::array<std::byte, kPageSize> page{};
    const std::uint32_t tail = n + 1 < 30 ? n + 1 : 0;
    ASSERT_TRUE(IndexPageBuilder(/*leaf=*/false).write(kOwner, 0, 0, tail, page).ok());
    ASSERT_EQ(pages.allocator()().value(), n);
    ASSERT_TRUE(pages.writer()(n, page).ok());
  }
  const Walk w = walk(pages, 1);
  EXPECT_TRUE(w.mentions("demasiado profundo"));
  EXPECT_LE(w.summary.pages.size(), 17u);
}

// A leaf with three Long keys 1, 2, 3 (as Access encodes them) on page 0x12.
std::array<std::byte, kPageSize> smallLeaf() {
  IndexPageBuilder b(/*leaf=*/true, /*compress=*/false);
  for (int i = 1; i <= 3; ++i) b.add(IndexEntry{bytes({0x7F, 0x80, 0, 0, i}), 0x12, std::uint8_t(i), 0});
  std::array<std::byte, kPageSize> page{};
  EXPECT_TRUE(b.write(29, 0, 0, 0, page).ok());
  return page;
}

// The small leaf with one byte changed: what must be refused rather than
// misread, and the edge beside it that still decodes. The entry mask has room
// for bits up to 1807; bit 1800 is the last legal end (an entry that ends at
// the page's end). Free space that disagrees is only a finding.
TEST(IndexPageTest, DamagedPagesAreRefusedAndTheLegalEdgesDecode) {
  struct Case { const char* what; std::size_t offset; int value; bool decodes; };
  for (const Case& c : {Case{"wrong page type", ip::kType, 0x01, false},
                        Case{"mask bit 1801", ip::kEntryMask + 225, 0x02, false},
                        Case{"mask bit 1800: one long last entry", ip::kEntryMask + 225, 0x01, true},
                        Case{"mask bit 0: an empty first entry", ip::kEntryMask, 0x01, false},
                        Case{"a first entry of 3 bytes, no room for its pointer", ip::kEntryMask,
                             0x08, false},
                        Case{"prefix past the first entry's 9 bytes", ip::kPrefixLength, 10, false},
                        Case{"the whole first entry as prefix", ip::kPrefixLength, 9, true},
                        Case{"free space of 0", ip::kFreeSpace, 0x00, true}}) {
    SCOPED_TRACE(c.what);
    auto page = smallLeaf();
    page[c.offset] = std::byte(c.value);
    FindingList findings;
    auto decoded = decodeIndexPage(ByteView(page), 5, findings);
    EXPECT_EQ(decoded.ok() ? 0 : decoded.error().number(), c.decodes ? 0 : errc::kCorrupt);
    EXPECT_TRUE(c.offset != ip::kType || findings.empty());
    if (c.offset != ip::kFreeSpace) continue;
    ASSERT_EQ(findings.findings().size(), 1u);
    EXPECT_EQ(findings.findings()[0].page, 5);
  }
  std::array<std::byte, 100> tiny{};
  tiny[0] = std::byte{ip::kTypeLeaf};
  FindingList findings;
  EXPECT_FALSE(decodeIndexPage(ByteView(tiny), 1, findings).ok()) << "a buffer shorter than a page";
}

// Entries of one key on rows of one page share all but their row byte.
TEST(IndexPageTest, OneKeyOnRowsOfOnePageSharesAllButTheRowByte) {
  IndexPageBuilder b(/*leaf=*/true, /*compress=*/true);
  for (int i = 1; i <= 3; ++i) b.add(IndexEntry{bytes({0x7F, 0x80, 0, 0, 7}), 0x12, std::uint8_t(i), 0});
  std::array<std::byte, kPageSize> page{};
  ASSERT_TRUE(b.write(29, 0, 0, 0, page).ok());
  EXPECT_EQ(std::to_integer<int>(page[ip::kPrefixLength]), 8);
}

}  // namespace
}  // namespace jet
