// Walking index B-trees: Access's trees in the corpus, and small trees built
// in memory and then damaged one way at a time.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "jet/model/index_walker.h"
#include "tests/support/corpus.h"
#include "tests/support/db_image.h"

namespace jet {
namespace {

using testing_support::DbImage;
namespace ip = index_page;

constexpr std::uint32_t kOwner = 2;

// Long keys 0..n-1 spread over leaves of `perLeaf` entries under one
// intermediate root at page 1 (leaves at pages 2, 3, ...; the last leaf is
// the root's tail). Every index page of the image is then walked once.
class TreeImage {
 public:
  TreeImage(int keys, int perLeaf) : image_(std::string(kPageSize * 2, '\0')) {
    std::vector<std::vector<IndexEntry>> leaves;
    for (int k = 0; k < keys; ++k) {
      if (k % perLeaf == 0) leaves.emplace_back();
      leaves.back().push_back(IndexEntry{key(k), 0x100 + std::uint32_t(k / 4), std::uint8_t(k % 4), 0});
    }
    const std::uint32_t first = 2;
    const std::uint32_t count = static_cast<std::uint32_t>(leaves.size());
    image_.resize(first + count);
    IndexPageBuilder root(/*leaf=*/false);
    for (std::uint32_t i = 0; i < count; ++i) {
      IndexPageBuilder leaf(/*leaf=*/true);
      for (auto& e : leaves[i]) leaf.add(e);
      put(first + i, leaf, i == 0 ? 0 : first + i - 1, i + 1 == count ? 0 : first + i + 1, 0);
      if (i + 1 < count) {
        IndexEntry up = leaves[i].back();
        up.child = first + i;
        root.add(up);
      }
    }
    put(1, root, 0, 0, first + count - 1);
  }

  static std::vector<std::byte> key(int k) {
    return {std::byte{0x7F}, std::byte{0x80}, std::byte{0}, std::byte(k >> 8), std::byte(k & 0xFF)};
  }

  void put(std::uint32_t n, const IndexPageBuilder& b, std::uint32_t prev, std::uint32_t next,
           std::uint32_t tail) {
    std::array<std::byte, kPageSize> page{};
    ASSERT_TRUE(b.write(kOwner, prev, next, tail, page).ok());
    for (std::size_t i = 0; i < page.size(); ++i) image_.setByte(n, i, std::to_integer<std::uint8_t>(page[i]));
  }

  DbImage& image() { return image_; }

  struct Outcome {
    IndexWalkSummary summary;
    std::vector<IndexEntry> entries;
    FindingList findings;
  };
  Outcome walk(std::uint32_t root = 1) {
    Outcome out;
    IndexWalkTarget t{image_.fetch(), image_.pageCount(), root, kOwner, "T", "I"};
    auto r = walkIndex(t, out.findings, [&](const IndexEntry& e, std::uint32_t) { out.entries.push_back(e); });
    EXPECT_TRUE(r.ok());
    if (r) out.summary = *r;
    return out;
  }

 private:
  DbImage image_;
};

bool mentions(const FindingList& f, const std::string& text) {
  for (const auto& x : f.findings()) {
    if (x.message.find(text) != std::string::npos) return true;
  }
  return false;
}

TEST(IndexWalkerTest, CorpusTreesWalkCleanlyAndCoverEveryIndexPage) {
  REQUIRE_CORPUS();
  for (const auto& path : testing_support::corpusFiles()) {
    SCOPED_TRACE(path.filename().string());
    DbImage image = DbImage::load(path);
    // Roots are the index pages no intermediate page points at.
    std::set<std::uint32_t> indexPages, children;
    for (std::uint32_t n = 0; n < image.pageCount(); ++n) {
      const auto type = image.pageType(n);
      if (type != ip::kTypeLeaf && type != ip::kTypeIntermediate) continue;
      indexPages.insert(n);
      if (type != ip::kTypeIntermediate) continue;
      IgnoreDamage ignore;
      auto page = decodeIndexPage(image.page(n), n, ignore);
      ASSERT_TRUE(page.ok());
      for (const auto& e : page->entries) children.insert(e.child);
      children.insert(page->tailPage);
    }
    std::set<std::uint32_t> walked;
    for (std::uint32_t root : indexPages) {
      if (children.count(root)) continue;
      FindingList findings;
      IndexWalkTarget t{image.fetch(), image.pageCount(), root, *image.page(root).u32(ip::kOwner), "", ""};
      std::uint64_t seen = 0;
      auto r = walkIndex(t, findings, [&](const IndexEntry&, std::uint32_t) { ++seen; });
      ASSERT_TRUE(r.ok());
      for (const auto& f : findings.findings()) ADD_FAILURE() << f.toString();
      EXPECT_EQ(r->entries, seen);
      for (auto p : r->pages) EXPECT_TRUE(walked.insert(p).second) << "page " << p << " walked twice";
    }
    EXPECT_EQ(walked, indexPages);
  }
}

TEST(IndexWalkerTest, BuiltTreeYieldsEveryEntryInOrder) {
  TreeImage tree(700, 150);
  auto out = tree.walk();
  EXPECT_TRUE(out.findings.empty());
  ASSERT_EQ(out.entries.size(), 700u);
  for (int k = 0; k < 700; ++k) EXPECT_EQ(out.entries[k].key, TreeImage::key(k));
  EXPECT_EQ(out.summary.depth, 1);
  EXPECT_EQ(out.summary.pages.size(), 1u + 5u);
}

TEST(IndexWalkerTest, LoopBackToTheRootIsReportedOnceAndEnds) {
  TreeImage tree(300, 100);
  tree.image().setU32(1, ip::kTailPage, 1);  // the tail points at the root itself
  auto out = tree.walk();
  EXPECT_TRUE(mentions(out.findings, "dos veces"));
  EXPECT_EQ(out.entries.size(), 200u);  // the first two leaves are still read
}

TEST(IndexWalkerTest, ChildOutsideTheFileOrNotAnIndexPageIsReported) {
  {
    TreeImage tree(300, 100);
    tree.image().setU32(1, ip::kTailPage, 9999);
    EXPECT_TRUE(mentions(tree.walk().findings, "fuera del archivo"));
  }
  {
    TreeImage tree(300, 100);
    tree.image().setByte(3, ip::kType, 0x01);  // the second leaf becomes a data page
    auto out = tree.walk();
    EXPECT_TRUE(mentions(out.findings, "tipo 1"));
    EXPECT_EQ(out.entries.size(), 200u);
  }
}

TEST(IndexWalkerTest, PageOfAnotherTableIsReported) {
  TreeImage tree(300, 100);
  tree.image().setU32(3, ip::kOwner, 77);
  auto out = tree.walk();
  EXPECT_TRUE(mentions(out.findings, "página 77"));
  EXPECT_EQ(out.entries.size(), 300u);
}

TEST(IndexWalkerTest, BrokenLeafLinksAreReported) {
  TreeImage tree(300, 100);
  tree.image().setU32(2, ip::kNextPage, 4);  // skips the middle leaf
  tree.image().setU32(4, ip::kPrevPage, 0);
  auto out = tree.walk();
  EXPECT_TRUE(mentions(out.findings, "siguiente anotada"));
  EXPECT_TRUE(mentions(out.findings, "anterior anotada"));
  EXPECT_EQ(out.entries.size(), 300u);
}

// A parent entry bounds its child from above and the next child from below.
// Access leaves an entry above its child's last one when that one's row is
// deleted; only an entry that misleads a search is damage.
TEST(IndexWalkerTest, ParentEntriesBoundTheirChildren) {
  // The last key byte of the root's first entry, key 99 (0x63) row (0x118, 3):
  // the second leaf starts at key 100 row (0x119, 0).
  const struct {
    std::uint8_t key;
    const char* finding;  // nullptr: none
  } cases[] = {
      {0x63, nullptr},
      {0x64, nullptr},  // (100, 0x118, 3): above its child, below the next
      {0x62, "pasa de la entrada de la página padre"},
      {0x65, "no pasa de la entrada anterior"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(int{c.key});
    TreeImage tree(300, 100);
    tree.image().setByte(1, ip::kFirstEntry + 4, c.key);
    auto out = tree.walk();
    if (c.finding) {
      EXPECT_TRUE(mentions(out.findings, c.finding));
      EXPECT_EQ(out.findings.total(), 1u);
    } else {
      EXPECT_TRUE(out.findings.empty());
    }
    EXPECT_EQ(out.entries.size(), 300u);
  }
}

TEST(IndexWalkerTest, EntriesOutOfOrderAreReported) {
  TreeImage tree(300, 100);
  // First entry of the second leaf: key 100 (0x64) becomes 0x00, below key 99.
  tree.image().setByte(3, ip::kFirstEntry + 4, 0x00);
  tree.image().setByte(3, ip::kFirstEntry + 3, 0x00);
  auto out = tree.walk();
  EXPECT_TRUE(mentions(out.findings, "fuera de orden"));
}

TEST(IndexWalkerTest, DepthLimitStopsADeepChain) {
  // Intermediate pages 1 -> 2 -> ... -> 29, each with only a tail child.
  DbImage image(std::string(kPageSize * 30, '\0'));
  for (std::uint32_t n = 1; n < 30; ++n) {
    IndexPageBuilder b(/*leaf=*/false);
    std::array<std::byte, kPageSize> page{};
    ASSERT_TRUE(b.write(kOwner, 0, 0, n + 1 < 30 ? n + 1 : 0, page).ok());
    for (std::size_t i = 0; i < page.size(); ++i) image.setByte(n, i, std::to_integer<std::uint8_t>(page[i]));
  }
  FindingList findings;
  IndexWalkTarget t{image.fetch(), image.pageCount(), 1, kOwner, "", ""};
  auto r = walkIndex(t, findings, [](const IndexEntry&, std::uint32_t) {});
  ASSERT_TRUE(r.ok());
  EXPECT_TRUE(mentions(findings, "demasiado profundo"));
  EXPECT_LE(r->pages.size(), 17u);
}

}  // namespace
}  // namespace jet
