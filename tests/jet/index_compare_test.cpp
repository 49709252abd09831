// Matching an index's entries with the entries its rows call for: what is
// reported when they differ (every corpus file checking clean holds every
// index of the corpus, in any order, to its rows).
//
// The digests that let a check prove a sound index without holding its
// entries: equal for the same entries in any order, changed by any change of
// one, and no proof for a tree out of order or a unique index with a key twice
// (the entry-by-entry comparison reports those).
#include <gtest/gtest.h>

#include "jet/check/index_compare.h"
#include "tests/support/byte_list.h"

namespace jet {
namespace {

using testing_support::bytes;

// An index over (Long, Text DESC) with the values at positions 1 and 0.
IndexShape shape() {
  return IndexShape{{{ColumnType::kLong, true}, {ColumnType::kText, false}}, {1, 0}, false, false};
}

struct Fixture {
  explicit Fixture(IndexShape s) : expect(std::move(s)) {}
  void row(std::uint32_t page, std::uint8_t slot, Value text, Value number) {
    std::vector<Value> values{std::move(text), std::move(number)};
    ASSERT_TRUE(expect.addRow(values, page, slot).ok());
  }
  IndexComparison compare(const std::vector<IndexEntry>& actual) {
    EntryList tree;
    for (const IndexEntry& e : actual) tree.add(e.key, e.dataPage, e.dataRow);
    return compareIndexEntries(expect.kept(), tree, expect.shape(), "T", "I", findings);
  }
  IndexExpectation expect;
  FindingList findings;
};

TEST(IndexCompareTest, MissingExtraRepeatedAndWrongKeysAreEachReportedAtTheirRow) {
  Fixture f(shape());
  f.row(10, 0, Text{"a"}, std::int32_t{1});
  f.row(10, 1, Text{"b"}, std::int32_t{2});
  f.row(10, 2, Text{"c"}, std::int32_t{3});
  std::vector<IndexEntry> actual = f.expect.entries();
  actual.erase(actual.begin());                 // row 10/0 lost its entry
  actual[0].key.back() = std::byte{0x42};       // row 10/1 has a wrong key
  actual.push_back(actual[0]);                  // row 10/1 twice, first in place order
  actual.push_back(IndexEntry{actual[1].key, 12, 7, 0});  // points at no row
  IndexComparison c = f.compare(actual);
  EXPECT_EQ(c.missing, 1u);
  EXPECT_EQ(c.keyDiffers, 1u);
  EXPECT_EQ(c.repeated, 1u);
  EXPECT_EQ(c.extra, 1u);
  EXPECT_EQ(c.matched, 1u);
  ASSERT_EQ(f.findings.findings().size(), 4u);
  bool sawMissing = false;
  for (const Finding& x : f.findings.findings()) {
    EXPECT_EQ(x.table, "T");
    EXPECT_EQ(x.index, "I");
    if (x.message.find("falta") != std::string::npos) {
      sawMissing = true;
      EXPECT_EQ(x.page, 10);
      EXPECT_EQ(x.row, 0);
    }
  }
  EXPECT_TRUE(sawMissing);
}

// Past the cap, one line sums up the rest and counts for all of them.
TEST(IndexCompareTest, DifferencesPastTheCapAreSummedUpAndCounted) {
  for (std::uint8_t rows : {20, 21}) {
    Fixture f(shape());
    for (std::uint8_t r = 0; r < rows; ++r) f.row(10, r, Text{"a"}, std::int32_t{r});
    IndexComparison c = f.compare({});  // an empty tree: every entry is missing
    EXPECT_EQ(c.missing, rows);
    EXPECT_EQ(f.findings.total(), rows);
    const auto& kept = f.findings.findings();
    ASSERT_EQ(kept.size(), rows);
    if (rows == 21) { EXPECT_EQ(kept.back().message, "y 1 diferencias más entre el índice y las filas"); }
  }
}

// Rows whose keys are all NULL are no duplicates in a unique index. (Indexes
// that ignore NULLs are held to their rows by the corpus checks.)
TEST(IndexCompareTest, UniqueIndexRefusesEqualKeysButNotNulls) {
  IndexShape unique = shape();
  unique.unique = true;
  Fixture f(unique);
  f.row(10, 0, Text{"a"}, std::int32_t{1});
  f.row(10, 1, Text{"A"}, std::int32_t{1});  // case is not part of the key
  f.row(10, 2, Value{}, Value{});
  f.row(10, 3, Value{}, Value{});
  IndexComparison c = f.compare(f.expect.entries());
  EXPECT_EQ(c.duplicateKeys, 1u);
  EXPECT_EQ(c.matched, 4u);
}

TEST(IndexCompareTest, ValueOfTheWrongTypeIsAnError) {
  IndexExpectation e(shape());
  std::vector<Value> values{Text{"a"}, Text{"not a number"}};
  EXPECT_EQ(e.addRow(values, 1, 0).error().number(), errc::kInvalidArgument);
  std::vector<Value> tooShort{Text{"a"}};
  EXPECT_FALSE(e.addRow(tooShort, 1, 0).ok());
}

TEST(EntryDigest, SameEntriesInAnyOrderAndAnyChangedByteOrPlaceTells) {
  const std::vector<std::byte> key = bytes({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17});
  EntryDigest one;
  one.add(key, 300, 4);
  one.add({}, 301, 0);
  EntryDigest other;
  other.add({}, 301, 0);
  other.add(key, 300, 4);
  EXPECT_EQ(one, other);

  EntryDigest base;
  base.add(key, 300, 4);
  std::vector<EntryDigest> changed(5);
  changed[0].add(key, 301, 4);
  changed[1].add(key, 300 | 1u << 23, 4);
  changed[2].add(key, 300, 5);
  changed[3].add(std::span(key).first(key.size() - 1), 300, 4);
  changed[4].add(key, 300, 4);
  changed[4].add(key, 300, 4);
  for (std::size_t i = 0; i < key.size(); ++i) {
    for (std::uint8_t bit : {0x01, 0x80}) {
      std::vector<std::byte> k = key;
      k[i] ^= std::byte{bit};
      changed.emplace_back().add(k, 300, 4);
    }
  }
  for (std::size_t i = 0; i < changed.size(); ++i) EXPECT_NE(changed[i], base) << "change " << i;
}

TEST(TreeDigest, ProvesOnlyATreeInOrderWithoutAUniqueKeyTwice) {
  const IndexShape plain{{{ColumnType::kLong, true}}, {0}, false, false};
  IndexShape unique = plain;
  unique.unique = true;
  struct Case { const char* what; const IndexShape* shape; std::vector<IndexEntry> tree; bool proves; };
  const std::vector<std::byte> a = bytes({0x7F, 1}), b = bytes({0x7F, 2}), null = bytes({0});
  const Case cases[] = {
      {"in order", &unique, {{a, 10, 0, 0}, {b, 10, 1, 0}}, true},
      {"out of order", &plain, {{b, 10, 1, 0}, {a, 10, 0, 0}}, false},
      {"a key twice", &plain, {{a, 10, 0, 0}, {a, 10, 1, 0}}, true},
      {"a unique key twice", &unique, {{a, 10, 0, 0}, {a, 10, 1, 0}}, false},
      {"NULL twice in a unique index", &unique, {{null, 10, 0, 0}, {null, 10, 1, 0}}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EntryDigest expected;
    TreeDigest tree(*c.shape);
    for (IndexEntry e : c.tree) {
      expected.add(e.key, e.dataPage, e.dataRow);
      tree.add(e);
    }
    EXPECT_EQ(tree.matches(expected), c.proves);
    EntryDigest fewer;
    fewer.add(c.tree[0].key, c.tree[0].dataPage, c.tree[0].dataRow);
    EXPECT_FALSE(tree.matches(fewer));
  }
}

}  // namespace
}  // namespace jet
