// Index keys of Jet 3: the bytes an index entry holds for a row's values.
//
// A key is the concatenation of one segment per index column, in the index's
// column order. Keys compare as unsigned byte strings, so each segment is
// built to sort as its value does:
//
//   NULL            one flag byte: 0x00 ascending, 0xFF descending (NULLs
//                   come first in an ascending column, last in a descending one)
//   any other value flag 0x7F ascending / 0x80 descending, then the value:
//     Yes/No        one byte: Yes 0x00, No 0xFF (never NULL; NULL reads as No)
//     Byte          the byte
//     Integer, Long, Currency
//                   big-endian two's complement with the sign bit flipped
//     Single, Double, Date/Time
//                   big-endian IEEE bits: sign bit flipped when positive,
//                   every bit flipped when negative
//     Text          the "General" sort encoding (text_key.h)
//     Binary        8-byte groups, each followed by a length byte: 0x09 when
//                   more groups follow, else the number of bytes used (the
//                   last group is padded with zeros); an empty value has no
//                   group
//     Replication ID
//                   as Binary, over the 16 bytes in textual order (the first
//                   three fields big-endian, not as the row stores them)
//   In a descending column every value byte is complemented, except the 0x09
//   length bytes of Binary groups that are not the last.
//
// Memo and OLE Object columns cannot be indexed in Jet 3.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "jet/core/result.h"
#include "jet/format/value.h"

namespace jet {
namespace index_key {

inline constexpr std::byte kAscendingValue{0x7F};
inline constexpr std::byte kAscendingNull{0x00};
inline constexpr std::byte kDescendingValue{0x80};
inline constexpr std::byte kDescendingNull{0xFF};

inline constexpr std::byte kYes{0x00};  // ascending; complemented when descending
inline constexpr std::byte kNo{0xFF};

inline constexpr std::size_t kBinaryGroup = 8;      // data bytes per group
inline constexpr std::byte kMoreGroups{0x09};       // length byte of a group that is not the last

inline constexpr std::size_t kColumnLimit = 10;      // columns an index can have

}  // namespace index_key

struct KeyColumn {
  ColumnType type = ColumnType::kLong;
  bool ascending = true;
  // Text in a sort order whose keys the engine does not make (index_shape.h):
  // appendKeyColumn encodes only its NULL, and carryKey leaves its segment
  // as stored.
  bool carried = false;
};

// True iff a Jet 3 index can hold a column of type `t`.
bool isIndexable(ColumnType t);

// Appends the segment of one column. Fails (3001) when the column's type
// cannot be indexed, `value` does not hold that type (NULL always fits), or
// the column is carried and the value not NULL.
Status appendKeyColumn(const KeyColumn& column, const Value& value, std::vector<std::byte>& out);

// The key of a row for an index over `columns`; values[i] belongs to
// columns[i]. Fails (3001) on a count mismatch or as appendKeyColumn does.
Result<std::vector<std::byte>> encodeKey(std::span<const KeyColumn> columns,
                                         std::span<const Value> values);

// A key Access stored, for a row whose values were `before` and are `after`
// (a compaction renumbers table ids): each segment of a column whose value
// changed is made anew, the others are kept as stored. First the stored key
// must agree with `before` in every segment the engine makes; a carried text
// segment is taken as it is, its length being what the others leave, so at
// most one carried text value may be non-NULL unless no value changed.
// Fails with 3343 when the stored key is not the key of `before`, 3001 on
// arguments that do not fit together.
Result<std::vector<std::byte>> carryKey(std::span<const KeyColumn> columns,
                                        std::span<const std::byte> stored,
                                        std::span<const Value> before,
                                        std::span<const Value> after);

}  // namespace jet
