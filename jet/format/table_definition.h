// Table definitions (TDEF, page type 0x02), possibly spread over several pages.
//
// Integers are little-endian. Every TDEF page starts with an 8-byte header:
//
//   offset  size  meaning
//   0x00    1     page type, 0x02
//   0x01    1     0x01
//   0x02    2     "VC"
//   0x04    4     next TDEF page of this table, 0 on the last
//
// The definition proper is read from the first page (from offset 0, header
// included) followed by each next page without its header. Offsets below are
// offsets in that concatenation.
//
//   0x08    4     length of the definition after this header
//   0x0C    4     number of rows
//   0x10    4     last AutoNumber handed out (docs/format.md)
//   0x14    1     table type: 0x4E user table, 0x53 system table
//   0x15    2     columns ever created (deleted ones included)
//   0x17    2     variable-length columns ever created (deleted ones included)
//   0x19    2     columns
//   0x1B    4     logical indexes
//   0x1F    4     real indexes
//   0x23    4     usage map of the table's data pages (row pointer)
//   0x27    4     free-space map (row pointer)
//   0x2B    8*r   per real index: u32 entry count or 0, u32 distinct keys
//   then    18*c  column blocks (layout in namespace column_block)
//   then          column names: 1-byte length, bytes in the database code page
//   then    39*r  real index blocks (namespace real_index_block)
//   then    20*l  logical index blocks (namespace logical_index_block)
//   then          logical index names, as column names
//   then    10*m  per Memo or OLE column, the usage maps of its long-value
//                 pages (namespace long_value_maps_block), in no set order,
//                 ended by a block whose column is 0xFFFF and maps are 0
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "jet/core/result.h"
#include "jet/format/value.h"
#include "jet/io/page_source.h"

namespace jet {

namespace tdef {
inline constexpr std::uint8_t kPageType = 0x02;
// Every page of a definition starts with its type, 0x01, then this mark
// ("VC"); the reader does not require it.
inline constexpr std::size_t kMark = 0x02;
inline constexpr std::uint16_t kMarkValue = 0x4356;
inline constexpr std::size_t kNextPage = 0x04;
inline constexpr std::size_t kPageHeaderSize = 8;
inline constexpr std::size_t kLength = 0x08;
inline constexpr std::size_t kRowCount = 0x0C;
inline constexpr std::size_t kAutoNumber = 0x10;
inline constexpr std::size_t kTableType = 0x14;
inline constexpr std::size_t kColumnsCreated = 0x15;
inline constexpr std::size_t kVarColumns = 0x17;
inline constexpr std::size_t kColumnCount = 0x19;
inline constexpr std::size_t kLogicalIndexCount = 0x1B;
inline constexpr std::size_t kRealIndexCount = 0x1F;
inline constexpr std::size_t kUsageMap = 0x23;
inline constexpr std::size_t kFreeMap = 0x27;
inline constexpr std::size_t kIndexStats = 0x2B;
inline constexpr std::size_t kIndexStatsSize = 8;
inline constexpr std::uint8_t kUserTable = 0x4E;
inline constexpr std::uint8_t kSystemTable = 0x53;
// Jet 3 limits: a table has at most 255 columns and 32 indexes.
inline constexpr std::size_t kColumnLimit = 255;
inline constexpr std::size_t kIndexLimit = 32;
// Those limits fit in far fewer pages: a longer chain is damage.
inline constexpr std::size_t kMaxPages = 32;
}  // namespace tdef

namespace column_block {
inline constexpr std::size_t kSize = 18;
inline constexpr std::size_t kType = 0;
inline constexpr std::size_t kNumber = 1;       // u16: bit in the null mask
inline constexpr std::size_t kVarIndex = 3;     // u16: entry in the variable offset table
inline constexpr std::size_t kUnknown5 = 5;     // u16: the number again in some tables, 0 in others
inline constexpr std::size_t kUnknown7 = 7;     // u16: 0x0001 in every column block we have
inline constexpr std::size_t kSortOrder = 9;    // u16: 0x0409 "General"
inline constexpr std::size_t kCodePage = 11;    // u16
inline constexpr std::size_t kFlags = 13;
inline constexpr std::size_t kFixedOffset = 14; // u16: data offset after the column count byte
inline constexpr std::size_t kLength = 16;      // u16
inline constexpr std::uint8_t kFixedFlag = 0x01;
inline constexpr std::uint8_t kNullableFlag = 0x02;
inline constexpr std::uint8_t kAutoNumberFlag = 0x04;
inline constexpr std::uint8_t kReplicationFlag = 0x10;
inline constexpr std::uint8_t kAutoGuidFlag = 0x40;
inline constexpr std::uint8_t kHyperlinkFlag = 0x80;
}  // namespace column_block

namespace real_index_block {
inline constexpr std::size_t kSize = 39;
inline constexpr std::size_t kColumns = 0;      // 10 x (u16 column number, u8 order)
inline constexpr std::size_t kColumnSlots = 10;
inline constexpr std::size_t kColumnSlotSize = 3;
inline constexpr std::uint16_t kNoColumn = 0xFFFF;
inline constexpr std::uint8_t kAscending = 0x01;
inline constexpr std::size_t kUsageMap = 30;    // row pointer to the index's own usage map
inline constexpr std::size_t kFirstPage = 34;   // root page of the B-tree
inline constexpr std::size_t kFlags = 38;
inline constexpr std::uint8_t kUniqueFlag = 0x01;
inline constexpr std::uint8_t kIgnoreNullsFlag = 0x02;
inline constexpr std::uint8_t kRequiredFlag = 0x08;
}  // namespace real_index_block

namespace logical_index_block {
inline constexpr std::size_t kSize = 20;
inline constexpr std::size_t kNumber = 0;          // u32
inline constexpr std::size_t kRealIndex = 4;       // u32: the real index it uses
inline constexpr std::size_t kRelTableType = 8;    // u8
inline constexpr std::size_t kRelIndex = 9;        // i32: -1 unless a foreign key
inline constexpr std::size_t kRelTablePage = 13;   // u32: TDEF of the other table
inline constexpr std::size_t kCascadeUpdates = 17;
inline constexpr std::size_t kCascadeDeletes = 18;
inline constexpr std::size_t kKind = 19;           // 0 plain, 1 primary key, 2 foreign key
inline constexpr std::uint8_t kPrimaryKey = 0x01;
inline constexpr std::uint8_t kForeignKey = 0x02;
}  // namespace logical_index_block

namespace long_value_maps_block {
inline constexpr std::size_t kSize = 10;
inline constexpr std::size_t kColumn = 0;       // u16: ColumnDef::number; kEnd ends the list
inline constexpr std::size_t kUsageMap = 2;     // row pointer: the column's long-value pages
inline constexpr std::size_t kFreeMap = 6;      // row pointer: those with room (0: none kept)
inline constexpr std::uint16_t kEnd = 0xFFFF;
}  // namespace long_value_maps_block

struct ColumnDef {
  std::string name;             // bytes in the database code page
  std::uint8_t typeCode = 0;    // as stored; type is meaningful iff isKnownColumnType()
  ColumnType type = ColumnType::kText;
  std::uint16_t number = 0;     // bit in the null mask; counts deleted columns
  std::uint16_t varIndex = 0;   // variable columns: entry in the row's offset table
  std::uint16_t fixedOffset = 0;// fixed columns: data offset after the column count byte
  std::uint16_t length = 0;     // bytes (Text, Binary: the declared maximum)
  std::uint8_t flags = 0;
  std::uint16_t sortOrder = 0;
  std::uint16_t codePage = 0;
  std::uint16_t number2 = 0;    // as stored (column_block::kUnknown5)
  std::uint16_t misc = 0;       // as stored (column_block::kUnknown7)

  bool isFixed() const { return flags & column_block::kFixedFlag; }
  // Bytes a fixed column takes in a row: its type's size, or the declared
  // length for types without one (a fixed Binary or Text, an unknown type).
  std::size_t fixedDataSize() const {
    std::size_t size = isKnownColumnType(typeCode) ? fixedSize(type) : 0;
    return size ? size : length;
  }
  bool isAutoNumber() const { return flags & column_block::kAutoNumberFlag; }
};

struct IndexColumn {
  std::uint16_t column = 0;  // ColumnDef::number
  bool ascending = true;
};

// A real index: one B-tree.
struct RealIndexDef {
  std::uint32_t position = 0;        // order among the real indexes (0-based)
  std::vector<IndexColumn> columns;
  std::uint32_t usageMap = 0;        // row pointer to its usage map
  std::uint32_t firstPage = 0;       // root page of the tree
  std::uint8_t flags = 0;
  std::uint32_t statEntries = 0;     // the 8 statistic bytes at TDEF 0x2B
  std::uint32_t statDistinct = 0;

  bool unique() const { return flags & real_index_block::kUniqueFlag; }
  bool ignoreNulls() const { return flags & real_index_block::kIgnoreNullsFlag; }
  bool required() const { return flags & real_index_block::kRequiredFlag; }
};

// A logical index: what Access shows; several may share one real index.
struct LogicalIndexDef {
  std::string name;                  // bytes in the database code page
  std::uint32_t number = 0;
  std::uint32_t realIndex = 0;       // position of its RealIndexDef
  std::uint8_t kind = 0;
  std::uint8_t relTableType = 0;
  std::int32_t relIndex = -1;
  std::uint32_t relTablePage = 0;
  // As stored: 0 or 1 in a relationship's indexes, 4 in the others.
  std::uint8_t cascadeUpdates = 0;
  std::uint8_t cascadeDeletes = 0;

  bool primaryKey() const { return kind == logical_index_block::kPrimaryKey; }
  bool foreignKey() const { return kind == logical_index_block::kForeignKey; }
};

// The usage maps of one long-value column's pages.
struct LongValueMaps {
  std::uint16_t column = 0;   // ColumnDef::number
  std::uint32_t usageMap = 0; // row pointers
  std::uint32_t freeMap = 0;
};

struct TableDefinition {
  std::uint32_t page = 0;             // first TDEF page (the table's MSysObjects Id)
  std::vector<std::uint32_t> pages;   // every TDEF page, in chain order
  std::uint32_t rowCount = 0;
  std::uint32_t autoNumber = 0;
  std::uint8_t tableType = 0;
  std::uint16_t columnsCreated = 0;
  std::uint16_t varColumns = 0;      // deleted ones included: may exceed columns.size()
  std::uint32_t usageMap = 0;         // row pointer
  std::uint32_t freeMap = 0;          // row pointer
  std::vector<ColumnDef> columns;     // in the order stored
  std::vector<RealIndexDef> realIndexes;
  std::vector<LogicalIndexDef> logicalIndexes;
  std::vector<LongValueMaps> longValueMaps;  // as listed; empty when the list is unreadable

  bool isSystem() const { return tableType == tdef::kSystemTable; }
  // The column with null-mask number `number`, or nullptr.
  const ColumnDef* columnByNumber(std::uint16_t number) const;
  // The real index of the primary key: the first logical index marked so
  // that names one. nullopt when there is none.
  std::optional<std::size_t> primaryKeyIndex() const;
};

// Reads the definition whose first page is `page`, following the chain of
// next pages (each page visited once, every one of type 0x02). Fails with 3343
// naming the page where the definition is damaged: wrong page type, a loop,
// counts beyond Jet 3 limits, a block or name past the end of the definition,
// or a fixed column whose data would not fit in a row. A column of a type
// unknown to Jet 3 is kept (typeCode) and its values read as raw bytes.
Result<TableDefinition> readTableDefinition(const PageSource& pages, std::uint32_t page);

// Decodes a definition already concatenated (first page whole, next pages
// without their headers). `page` names the first page in errors.
Result<TableDefinition> decodeTableDefinition(ByteView bytes, std::uint32_t page);

}  // namespace jet
