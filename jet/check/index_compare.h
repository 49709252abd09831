// Does an index hold exactly the entries its table's rows call for?
//
// IndexExpectation turns rows into the entries the index should hold (the key
// of the row's values, pointing at the row); compareIndexEntries matches them
// with the entries read from the tree, by the row they point at:
//   - a row with no entry                      -> "falta la entrada"
//   - an entry that points at no row           -> "entrada de más"
//   - an entry whose key is not the row's key  -> "la clave no coincide"
//     (not for a carried index, whose keys the engine does not make:
//     index_shape.h; its entries are matched with the rows by place only)
//   - two entries for one row                  -> "entrada repetida"
//   - equal keys in a unique index (NULL keys excepted)
// Order is the walker's business (index_walker.h).
//
// A sound index need not be held to be proved: EntryDigest sums up a set of
// entries in a few words, so a check can digest the entries the rows call for
// and those the tree holds, and hold both only when the digests differ.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "jet/core/finding.h"
#include "jet/core/result.h"
#include "jet/format/index_page.h"
#include "jet/format/value.h"
#include "jet/index/index_key.h"
#include "jet/model/index_shape.h"

namespace jet {

// The multiset of entries (key bytes, page and row) in an order-free digest:
// their number and two sums of independent 64-bit hashes of each. Equal
// entries give equal digests in any order; different ones differ but with a
// chance of about 2^-128 when nobody chose them to collide.
class EntryDigest {
 public:
  void add(std::span<const std::byte> key, std::uint32_t page, std::uint8_t row);
  std::uint64_t count() const { return count_; }
  bool operator==(const EntryDigest&) const = default;

 private:
  std::uint64_t count_ = 0;
  std::uint64_t sumA_ = 0;
  std::uint64_t sumB_ = 0;
};

// Entries held for the entry-by-entry comparison, compactly: each its place
// and where its key lies among all the keys, which lie end to end.
class EntryList {
 public:
  void add(std::span<const std::byte> key, std::uint32_t page, std::uint8_t row);
  // Room for `entries` more with `keyBytes` of keys in all, so that a list
  // whose size is known grows once.
  void reserve(std::uint64_t entries, std::uint64_t keyBytes) {
    refs_.reserve(refs_.size() + entries);
    keys_.reserve(keys_.size() + keyBytes);
  }
  std::size_t size() const { return refs_.size(); }
  std::span<const std::byte> key(std::size_t i) const {
    return std::span<const std::byte>(keys_).subspan(refs_[i].keyAt, refs_[i].keyLength);
  }
  std::uint32_t page(std::size_t i) const { return refs_[i].page; }
  std::uint8_t row(std::size_t i) const { return refs_[i].row; }
  // In the order added.
  std::vector<IndexEntry> entries() const;
  // The memory a list of `entries` with `keyBytes` of keys in all takes.
  static std::uint64_t footprint(std::uint64_t entries, std::uint64_t keyBytes) {
    return entries * sizeof(Ref) + keyBytes;
  }

 private:
  struct Ref {
    std::uint64_t keyAt = 0;
    std::uint32_t keyLength = 0;
    std::uint32_t page = 0;
    std::uint8_t row = 0;
  };
  std::vector<Ref> refs_;
  std::vector<std::byte> keys_;
};

class IndexExpectation {
 public:
  // With `keepEntries` false the entries only go into digest(), and
  // entries() stays empty.
  explicit IndexExpectation(IndexShape shape, bool keepEntries = true)
      : shape_(std::move(shape)), keep_(keepEntries) {}

  // Adds the entry that the row at (page, row) calls for. Fails (3001) when a
  // value does not fit its column's type or a position is out of range.
  Status addRow(std::span<const Value> values, std::uint32_t page, std::uint8_t row);

  const IndexShape& shape() const { return shape_; }
  EntryList& kept() { return kept_; }
  std::vector<IndexEntry> entries() const { return kept_.entries(); }
  // Of every entry added (a carried index's with an empty key).
  const EntryDigest& digest() const { return digest_; }
  // The bytes of the keys of every entry added.
  std::uint64_t keyBytes() const { return keyBytes_; }

 private:
  IndexShape shape_;
  bool keep_;
  std::vector<std::byte> key_;  // the key being made, its room kept between rows
  EntryList kept_;
  EntryDigest digest_;
  std::uint64_t keyBytes_ = 0;
};

// What the leaf entries of a tree, in the order walked, say without being
// held: their digest (keys left out for a carried index, as its expectation
// leaves them out), whether they came in index order, and whether two
// neighbours hold the same key that is not all NULL. When they came in order,
// the digests are equal and (for a unique index) no neighbours share a key,
// compareIndexEntries would report nothing.
class TreeDigest {
 public:
  explicit TreeDigest(const IndexShape& shape) : shape_(shape) {}
  void add(IndexEntry& entry);  // may take the entry's key

  const EntryDigest& digest() const { return digest_; }
  bool inOrder() const { return inOrder_; }
  bool equalNeighbours() const { return equalNeighbours_; }
  // True iff an expectation with `expected` as its digest matches the tree.
  bool matches(const EntryDigest& expected) const {
    return inOrder_ && !(shape_.unique && equalNeighbours_) && digest_ == expected;
  }

 private:
  const IndexShape& shape_;
  EntryDigest digest_;
  IndexEntry last_;
  bool inOrder_ = true;
  bool equalNeighbours_ = false;
};

struct IndexComparison {
  std::uint64_t matched = 0;
  std::uint64_t missing = 0;
  std::uint64_t extra = 0;
  std::uint64_t keyDiffers = 0;
  std::uint64_t repeated = 0;
  std::uint64_t duplicateKeys = 0;  // unique indexes only
  bool clean() const { return missing + extra + keyDiffers + repeated + duplicateKeys == 0; }
};

// Compares `actual` (the tree's leaf entries, in any order) with `expected`
// (from IndexExpectation). Findings carry `table` and `index` and the row's
// page and number; after `maxReports` of them the rest are summed up in one
// last finding whose `count` is theirs, so one broken index does not drown
// the rest of a check and the total stays exact.
IndexComparison compareIndexEntries(const EntryList& expected, const EntryList& actual,
                                    const IndexShape& shape, const std::string& table,
                                    const std::string& index, DamageSink& sink,
                                    std::size_t maxReports = 20);

}  // namespace jet
