// Property blobs (the LvProp column of MSysObjects): the properties Access
// keeps for an object and for each of its columns (Description, Format,
// ColumnWidth, ...).
//
// Integers are little-endian. The blob starts with "KKD\0", then chunks:
//
//   chunk:   u32 length (the chunk's, header included), u16 kind, contents
//   kind 0x0080, names: repeated u16 length + name bytes; entries below
//                refer to these names by position
//   kind 0x0000 (the object) or 0x0001 (a column), values:
//                u32 length of this sub-header (6 + name length),
//                u16 name length, name (the column's; empty for the object),
//                then entries up to the chunk's end:
//   entry:   u16 length (entry included), u8 DDL flag, u8 type (a column
//            type code), u16 name index, u16 value length, value bytes
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jet/core/byte_view.h"
#include "jet/core/result.h"

namespace jet {

namespace properties_blob {
inline constexpr std::string_view kMagic{"KKD\0", 4};
inline constexpr std::size_t kChunkHeader = 6;   // u32 length, u16 kind
inline constexpr std::uint16_t kNames = 0x0080;
inline constexpr std::uint16_t kObjectValues = 0x0000;
inline constexpr std::uint16_t kColumnValues = 0x0001;
inline constexpr std::size_t kEntryHeader = 8;   // u16 length, u8 ddl, u8 type, u16 name, u16 size
}  // namespace properties_blob

struct RawProperty {
  std::string name;
  std::uint8_t type = 0;   // column type code of the value
  std::vector<std::byte> value;
};

struct PropertyBlock {
  std::string target;      // column name; empty for the object itself
  std::vector<RawProperty> properties;
};

// Decodes a whole blob. An empty blob has no blocks. Fails with 3343 when the
// magic is wrong, or a chunk, entry or name leaves the blob or names a name
// that was not listed.
Result<std::vector<PropertyBlock>> decodeProperties(ByteView blob);

}  // namespace jet
