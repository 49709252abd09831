// Index B-tree pages of Jet 3: intermediate (type 0x03) and leaf (type 0x04).
//
// Layout (2048-byte page; header integers little-endian, entry pointers big-endian):
//
//   offset  size  meaning
//   0x00    1     page type: 0x03 intermediate, 0x04 leaf
//   0x01    1     always 0x01
//   0x02    2     free space: 2048 - (offset just past the last entry)
//   0x04    4     owner: the TDEF page of the table the index belongs to
//   0x08    4     previous page at the same level, 0 for none
//   0x0C    4     next page at the same level, 0 for none
//   0x10    4     intermediate: the rightmost child, which has no entry on the
//                 page (children in order: each entry's child, then this one);
//                 leaf: 0
//   0x14    1     length of the prefix that every entry shares; it is stored
//                 once, in the first entry, and left out of the others
//   0x15    1     0x01 on intermediate pages, 0x00 on leaves
//   0x16    226   entry mask: bit i (low bit of each byte first) set means an
//                 entry ends at 0xF8 + i; the first entry starts at 0xF8
//   0xF8    ...   the entries, back to back
//
// An entry is its key bytes (index_key.h), the data page of the row (3 bytes,
// big-endian) and the row number (1 byte); an intermediate entry is a copy
// of the last entry of its child as it was when written (Access leaves it in
// place when that entry is deleted: index_walker.h), followed by the child's
// page number (4 bytes, big-endian). Entries are in ascending order of (key, page, row).
// The prefix length is one byte, not two (docs/format.md, "Index pages").
#pragma once

#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "jet/core/byte_view.h"
#include "jet/core/finding.h"
#include "jet/core/result.h"
#include "jet/format/data_page.h"
#include "jet/io/page_source.h"

namespace jet {
namespace index_page {

inline constexpr std::size_t kType = 0x00;
inline constexpr std::size_t kAlwaysOne = 0x01;
inline constexpr std::size_t kFreeSpace = 0x02;       // u16
inline constexpr std::size_t kOwner = 0x04;           // u32
inline constexpr std::size_t kPrevPage = 0x08;        // u32
inline constexpr std::size_t kNextPage = 0x0C;        // u32
inline constexpr std::size_t kTailPage = 0x10;        // u32
inline constexpr std::size_t kPrefixLength = 0x14;    // u8
inline constexpr std::size_t kLevelFlag = 0x15;       // u8
inline constexpr std::size_t kEntryMask = 0x16;
inline constexpr std::size_t kFirstEntry = 0xF8;
inline constexpr std::size_t kEntryMaskSize = kFirstEntry - kEntryMask;  // 226 bytes
// Room for entries: 1800 bytes.
inline constexpr std::size_t kEntryArea = kPageSize - kFirstEntry;

inline constexpr std::uint8_t kTypeIntermediate = 0x03;
inline constexpr std::uint8_t kTypeLeaf = 0x04;

// Sizes of the parts that follow the key in an entry.
inline constexpr std::size_t kRowPointerSize = 4;    // 3-byte page + 1-byte row
inline constexpr std::size_t kChildPointerSize = 4;  // intermediate pages only

// An entry's row pointer as stored: the page in 3 bytes, big-endian, then
// the row.
std::array<std::byte, kRowPointerSize> encodeRowPointer(std::uint32_t page, std::uint8_t row);
// Requires: bytes.size() >= kRowPointerSize.
RowLocation decodeRowPointer(std::span<const std::byte> bytes);

}  // namespace index_page

// One entry of an index page, with the shared prefix put back.
struct IndexEntry {
  std::vector<std::byte> key;  // the encoded key (see index_key.h)
  std::uint32_t dataPage = 0;  // the row it points at: page (24 bits) and row
  std::uint8_t dataRow = 0;
  std::uint32_t child = 0;     // intermediate entries: the child page; 0 on leaves

  // The order of entries in an index: key bytes (unsigned), then page, then
  // row. The child page takes no part.
  std::strong_ordering operator<=>(const IndexEntry& other) const;
  bool operator==(const IndexEntry& other) const { return (*this <=> other) == 0; }
};

// Unsigned lexicographic comparison of two encoded keys.
std::strong_ordering compareKeys(std::span<const std::byte> a, std::span<const std::byte> b);

struct IndexPage {
  bool leaf = true;
  std::uint16_t freeSpace = 0;
  std::uint32_t owner = 0;
  std::uint32_t prevPage = 0;
  std::uint32_t nextPage = 0;
  std::uint32_t tailPage = 0;
  std::uint8_t prefixLength = 0;
  std::vector<IndexEntry> entries;
};

// Decodes an index page. Fails (3343) when the page cannot be an index page
// or its entries cannot be delimited: wrong type, an entry too short for its
// pointers, a prefix longer than the first entry. Inconsistencies that leave
// the entries readable (a free-space field that disagrees with the mask) are
// reported to `sink` with the page number. Success means no damage was seen,
// not that the page is sound: order and links are the walker's business.
Result<IndexPage> decodeIndexPage(ByteView page, std::uint32_t pageNumber, DamageSink& sink);

// Fills index pages for a writer: entries go in ascending order; the page
// shares the longest prefix common to all of them (as Access does on the
// pages it splits) unless compression is turned off.
class IndexPageBuilder {
 public:
  explicit IndexPageBuilder(bool leaf, bool compress = true) : leaf_(leaf), compress_(compress) {}

  // True iff `entry` would still fit on the page after the entries added so
  // far. Requires: entry is not less than the last one added.
  bool fits(const IndexEntry& entry) const;
  // Adds an entry. Requires: fits(entry).
  void add(IndexEntry entry);

  bool empty() const { return entries_.empty(); }
  std::size_t size() const { return entries_.size(); }
  const std::vector<IndexEntry>& entries() const { return entries_; }
  const IndexEntry& last() const { return entries_.back(); }

  // Writes the page into `out` (kPageSize bytes) with the given links; fails
  // (3001) when `out` has the wrong size or the entries do not fit.
  Status write(std::uint32_t owner, std::uint32_t prevPage, std::uint32_t nextPage,
               std::uint32_t tailPage, std::span<std::byte> out) const;

  // Bytes an entry takes on the page before prefix compression.
  std::size_t entrySize(const IndexEntry& entry) const;

 private:
  std::size_t prefixWith(const IndexEntry* extra) const;
  std::size_t totalSize(const IndexEntry* extra) const;
  // The entry as stored, into `out` (replacing what it held).
  void serialize(const IndexEntry& entry, std::vector<std::byte>& out) const;

  bool leaf_;
  bool compress_;
  std::vector<IndexEntry> entries_;
  std::size_t rawTotal_ = 0;      // sum of entrySize() over entries_
  std::vector<std::byte> first_;  // the first entry as stored
  std::size_t sharedPrefix_ = 0;  // prefix common to entries_ (two or more)
  // An entry being tried, serialized: reused so that trying allocates nothing.
  mutable std::vector<std::byte> trial_;
};

}  // namespace jet
