// Index B-tree pages: writing pages that decode back, and damage that must be
// refused rather than misread (index_tree_test.cpp rebuilds every corpus index
// page byte for byte).
#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "jet/format/index_page.h"

namespace jet {
namespace {

namespace ip = index_page;

std::vector<std::byte> bytes(std::initializer_list<int> v) {
  std::vector<std::byte> out;
  for (int b : v) out.push_back(std::byte(b));
  return out;
}

IndexEntry entry(std::vector<std::byte> key, std::uint32_t page, std::uint8_t row,
                 std::uint32_t child = 0) {
  return IndexEntry{std::move(key), page, row, child};
}

// A leaf with three Long keys 1, 2, 3 (as Access encodes them) on page 0x12.
std::array<std::byte, kPageSize> smallLeaf(bool compress) {
  IndexPageBuilder b(/*leaf=*/true, compress);
  for (int i = 1; i <= 3; ++i) b.add(entry(bytes({0x7F, 0x80, 0, 0, i}), 0x12, std::uint8_t(i)));
  std::array<std::byte, kPageSize> page{};
  EXPECT_TRUE(b.write(29, 0, 0, 0, page).ok());
  return page;
}

// The small leaf with one byte changed: what must be refused rather than
// misread, and the edge beside it that still decodes. The entry mask has room
// for bits up to 1807; bit 1800 is the last legal end (an entry that ends at
// the page's end). Free space that disagrees is only a finding.
TEST(IndexPageTest, DamagedPagesAreRefusedAndTheLegalEdgesDecode) {
  struct Case {
    const char* what;
    std::size_t offset;
    int value;
    bool decodes;
  };
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
    auto page = smallLeaf(false);
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

}  // namespace
}  // namespace jet
