// The carried keys of the row a compaction is writing (carried_keys.h): the
// keys Access stored in the indexes whose keys the engine does not make,
// taken from the source's row stream, with the segments of renumbered table
// ids made anew (index_key.h, carryKey), and kept beside the row's values
// when the rows go through the primary-key sort.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

#include "jet/core/result.h"
#include "jet/format/value.h"
#include "jet/model/index_shape.h"

namespace jet {

class CarriedRowKeys {
 public:
  using Key = std::vector<std::byte>;

  // `shapes`: one per real index of the table, in order.
  explicit CarriedRowKeys(std::vector<IndexShape> shapes);

  // True iff some index of the table is carried.
  bool any() const { return any_; }

  // The keys of the current row: `stored` as the source gives them, for a row
  // whose values were `before` and are `after`. Fails with 3343 when the
  // source has no keys to give (empty `stored`) or a key is not the row's.
  Status take(std::span<const std::optional<Key>> stored, std::span<const Value> before,
              std::span<const Value> after);

  // Parallel to the real indexes; empty when no index is carried.
  std::span<const std::optional<Key>> keys() const { return keys_; }

  // Appends the keys to a sort record / reads them back from the record's
  // start, returning the bytes they took. Nothing when no index is carried.
  void encode(std::vector<std::byte>& out) const;
  Result<std::size_t> decode(std::span<const std::byte> in);

 private:
  std::vector<IndexShape> shapes_;
  bool any_ = false;
  std::vector<std::optional<Key>> keys_;
  std::vector<Value> before_, after_;
};

}  // namespace jet
