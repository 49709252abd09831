// The layout of one Jet 3 row (the bytes of a live slot of a data page).
//
//   offset      size  meaning
//   0           1     n: columns when the row was written (deleted ones included)
//   1           ...   fixed-length data, each column at its TDEF fixed offset
//   ...         ...   variable-length data, in variable-index order
//   L-M-2-J-v.. v+1   variable offset table, one byte per entry, stored
//                     backwards: entry i (0..v) at L-M-2-J-i; entry v is the
//                     end of the variable data
//   L-M-2-J..   J     jump table, one byte per 256 bytes of row: entry j (at
//                     L-M-2-j) is the first variable index whose offset is
//                     >= (j+1)*256; a trailing unused entry holds 0xFF
//   L-M-1       1     v: variable-length columns in the row
//   L-M         M     null mask, M = (n+7)/8: bit k (LSB first) set = column
//                     number k is not null; for Yes/No columns it is the value
//
// where L is the row length and J = (L-1)/256. A column whose number is >= n,
// or whose variable index is >= v, was added after the row was written: null.
#pragma once

#include <cstdint>
#include <vector>

#include "jet/core/byte_view.h"
#include "jet/core/result.h"
#include "jet/format/table_definition.h"

namespace jet {

namespace row_layout {
inline constexpr std::size_t kColumnCount = 0;
inline constexpr std::size_t kFixedData = 1;
inline constexpr std::size_t kJumpSpan = 256;
// A memo or OLE field in the row: the 12-byte long-value reference.
inline constexpr std::size_t kLongValueFieldSize = 12;
}  // namespace row_layout

// One column's bytes in a row.
struct FieldBytes {
  bool null = true;
  bool bit = false;  // the null-mask bit: a Yes/No column's value
  ByteView bytes;    // data (empty for Yes/No and nulls)
};

// How a row is laid out, for callers that judge whether bytes can be a row at
// all (salvage): the counts and the variable offsets splitRow found.
struct RowShape {
  std::size_t columnCount = 0;            // n, the first byte
  std::size_t varCount = 0;               // v
  std::vector<std::uint16_t> varOffsets;  // v + 1 offsets, absolute in the row
  std::size_t varTableStart = 0;          // first byte of the variable tables
  std::size_t nullMask = 0;               // first byte of the null mask
};

// Splits `row` into the fields of `t.columns` (same order) into `out`.
// Fails with 3343 naming `page` when the null mask, the variable tables or a
// field lie outside the row or are out of order. Success has shown no damage;
// the values themselves are decoded by the caller.
// When `shape` is given it receives the layout found (on success).
Status splitRow(ByteView row, const TableDefinition& t, std::uint32_t page,
                std::vector<FieldBytes>& out, RowShape* shape = nullptr);

}  // namespace jet
