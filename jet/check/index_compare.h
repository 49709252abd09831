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

class IndexExpectation {
 public:
  explicit IndexExpectation(IndexShape shape) : shape_(std::move(shape)) {}

  // Adds the entry that the row at (page, row) calls for. Fails (3001) when a
  // value does not fit its column's type or a position is out of range.
  Status addRow(std::span<const Value> values, std::uint32_t page, std::uint8_t row);

  const IndexShape& shape() const { return shape_; }
  std::vector<IndexEntry>& entries() { return entries_; }

 private:
  IndexShape shape_;
  std::vector<IndexEntry> entries_;
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
IndexComparison compareIndexEntries(std::vector<IndexEntry> expected,
                                    std::vector<IndexEntry> actual, const IndexShape& shape,
                                    const std::string& table, const std::string& index,
                                    DamageSink& sink, std::size_t maxReports = 20);

}  // namespace jet
