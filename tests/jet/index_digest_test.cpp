// The digests that let a check prove a sound index without holding its
// entries: equal for the same entries in any order, changed by any change of
// one, and no proof for a tree out of order or a unique index with a key twice
// (the entry-by-entry comparison reports those).
#include <gtest/gtest.h>

#include "jet/check/index_compare.h"

namespace jet {
namespace {

std::vector<std::byte> bytes(std::initializer_list<int> values) {
  std::vector<std::byte> out;
  for (int v : values) out.push_back(std::byte(v));
  return out;
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
  struct Case {
    const char* what;
    const IndexShape* shape;
    std::vector<IndexEntry> tree;
    bool proves;
  };
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
