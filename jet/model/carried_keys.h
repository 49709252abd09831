// The keys Access stored for the indexes whose keys the engine does not make
// (IndexShape::carried: text in a national sort order), row by row.
//
// A compaction or a repair never computes such a key: it carries the key each
// row has in the file over to the row's new place, so the new index holds
// Access's keys, in Access's order.
//
//   JET_TRY(CarriedKeys keys, CarriedKeys::read(fetch, pageCount, definition));
//   for each row:  JET_CHECK(keys.lookUp(location, values));  // then keys.keys()
//
// Reading walks each carried index whole (index_walker.h) and keeps a map from
// row to key: memory in proportion to those indexes' entries. Nothing is read
// for a table without a carried index.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "jet/core/result.h"
#include "jet/format/data_page.h"
#include "jet/format/table_definition.h"
#include "jet/format/value.h"
#include "jet/model/index_shape.h"
#include "jet/model/index_walker.h"

namespace jet {

class CarriedKeys {
 public:
  using Key = std::vector<std::byte>;

  // Reads the carried indexes of `table` over `fetch`. Fails with 3343 (the
  // index's root page, the reason) when a carried index shows damage: a
  // finding of the walk, or two entries for one row. `tableName` labels it.
  static Result<CarriedKeys> read(const PageFetch& fetch, std::uint32_t pageCount,
                                  const TableDefinition& table, const std::string& tableName);

  // True iff the table has a carried index.
  bool any() const { return !indexes_.empty(); }

  // Finds the keys of the row at `at`, whose values are `values` (parallel to
  // the table's columns). Fails with 3343 when a carried index has no entry
  // for a row that calls for one (IndexShape::hasEntry), or an entry whose
  // key does not agree with the row's values where the engine can judge them
  // (carryKey).
  Status lookUp(RowLocation at, std::span<const Value> values);

  // The stored key of the entry of real index `position` (a carried one)
  // that points at `at`; nullptr when there is none.
  const Key* find(std::size_t position, RowLocation at) const;

  // After lookUp: per real index of the table (parallel to realIndexes), the
  // row's stored key for a carried index, nullopt for a row without an entry
  // and for the other indexes.
  std::span<const std::optional<Key>> keys() const { return current_; }

 private:
  struct Index {
    std::size_t position;  // in realIndexes
    IndexShape shape;
    std::unordered_map<std::uint32_t, Key> byRow;  // RowLocation::pointer()
  };
  std::vector<Index> indexes_;
  std::vector<std::optional<Key>> current_;
  std::vector<Value> scratch_;
};

}  // namespace jet
