// Matching an index's entries with the entries its rows call for: what is
// reported when they differ (every corpus file checking clean holds every
// index of the corpus, in any order, to its rows).
#include <gtest/gtest.h>

#include "jet/check/index_compare.h"

namespace jet {
namespace {

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
    if (rows == 20) {
      EXPECT_EQ(kept.size(), 20u);
    } else {
      ASSERT_EQ(kept.size(), 21u);
      EXPECT_EQ(kept.back().message, "y 1 diferencias más entre el índice y las filas");
    }
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

}  // namespace
}  // namespace jet
