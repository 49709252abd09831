// What a real index's key is made of, in the terms the key encoder needs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "jet/core/result.h"
#include "jet/format/table_definition.h"
#include "jet/index/index_key.h"

namespace jet {

struct IndexShape {
  std::vector<KeyColumn> columns;
  std::vector<std::size_t> valuePositions;  // where each key column is in a row's values
  bool unique = false;
  bool ignoreNulls = false;  // rows whose key columns are all NULL have no entry
  // Some key column is text in a sort order other than General, whose keys
  // this engine does not make: they are carried over from the file Access
  // wrote (stored_keys.h), never computed.
  bool carried = false;

  // True iff a row with these key values has an entry (ignoreNulls).
  bool hasEntry(std::span<const Value> keyValues) const;
};

// True iff the engine encodes text keys in `sortOrder` (a column's): General only.
bool encodesSortOrder(std::uint16_t sortOrder);

// The shape of `index`, whose columns are found in `table` by number; a row's
// values are parallel to table.columns (row_cursor.h). Fails (3343, naming the
// TDEF page) when the index names a column the table does not have, a column
// that cannot be indexed, or no column at all.
Result<IndexShape> indexShape(const TableDefinition& table, const RealIndexDef& index);

}  // namespace jet
