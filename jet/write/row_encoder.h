// Rows of a new file: the columns laid out anew, and rows encoded in the
// layout of row.h.
//
// layOutColumns renumbers a definition's columns the way a compacted file
// holds them: numbers 0..n-1 in the order of the old numbers (so the numbers
// of deleted columns close up and their bytes are gone), variable-column
// indexes in that order, and fixed columns packed in that order from offset
// 0. Yes/No columns take no bytes: their value is their null-mask bit. The
// fields that mean nothing for a column (the fixed offset of a variable
// column) are 0; a fixed column's variable index is the number of variable
// columns before it, as Access writes it.
#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <vector>

#include "jet/core/result.h"
#include "jet/format/table_definition.h"
#include "jet/format/value.h"

namespace jet {

// `source` with its columns laid out for a new file; index columns follow
// their columns' new numbers; no long-value maps (the writer's). Fails (3343)
// when an index names a column the table does not have.
Result<TableDefinition> layOutColumns(const TableDefinition& source);

class RowEncoder {
 public:
  // Stores a Memo or OLE value and returns the field the row holds for it
  // (the 12-byte reference, followed by the value itself when inline).
  using LongValueStore =
      std::function<Result<std::vector<std::byte>>(std::size_t column, std::span<const std::byte>)>;

  // Requires: `table` laid out by layOutColumns and outliving the encoder.
  explicit RowEncoder(const TableDefinition& table);

  // Encodes one row; values[i] belongs to table.columns[i]. Fails with 3001
  // when a value is not of its column's type, 3035 when the row would not fit
  // on a page.
  Status encode(std::span<const Value> values, const LongValueStore& store,
                std::vector<std::byte>& out);

  // The size of a row whose every column is NULL: the smallest row.
  std::size_t minimumRowSize() const;

 private:
  const TableDefinition* table_;
  std::size_t fixedSize_ = 0;
  std::vector<std::size_t> byVarIndex_;  // column positions in variable-index order
  // Scratch space of encode(), kept from row to row.
  std::vector<std::byte> var_;
  std::vector<std::uint16_t> varEnds_;
  std::vector<std::byte> mask_;
  std::vector<std::byte> bytes_;
  std::vector<std::size_t> offsets_;
  std::vector<std::byte> jumpTable_;
};

// Appends the bytes a row holds for `value` in a column of `column`'s type
// (little-endian numbers, Text and Binary as they are). Fails (3001) when
// the value is not of that type.
Status appendValueBytes(const ColumnDef& column, const Value& value, std::vector<std::byte>& out);

}  // namespace jet
