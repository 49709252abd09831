// The fixed numbers of the catalog (MSysObjects): where its definition is,
// the Type of each kind of object, and the Ids of the containers Access makes
// in every database. A row's ParentId names the container the object is in;
// the objects at the top of the tree have kRootContainer for parent, an Id
// that no row has.
#pragma once

#include <cstdint>

namespace jet {

namespace catalog_type {
inline constexpr std::int16_t kTable = 1;
inline constexpr std::int16_t kDatabase = 2;
inline constexpr std::int16_t kContainer = 3;
inline constexpr std::int16_t kQuery = 5;
inline constexpr std::int16_t kLinkedTable = 6;
inline constexpr std::int16_t kRelationship = 8;
inline constexpr std::int16_t kForm = -32768;
inline constexpr std::int16_t kMacro = -32766;
inline constexpr std::int16_t kReport = -32764;
inline constexpr std::int16_t kModule = -32761;
inline constexpr std::int16_t kDocument = -32757;  // SummaryInfo, UserDefined
}  // namespace catalog_type

namespace catalog_id {
inline constexpr std::int32_t kRootContainer = 0x0F000000;
inline constexpr std::int32_t kTablesContainer = 0x0F000001;      // "Tables"
inline constexpr std::int32_t kDatabasesContainer = 0x0F000002;   // "Databases"
inline constexpr std::int32_t kRelationshipsContainer = 0x0F000003;  // "Relationships"
}  // namespace catalog_id

// The page of MSysObjects' definition.
inline constexpr std::uint32_t kCatalogPage = 2;

}  // namespace jet
