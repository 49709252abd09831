// The catalog: every object of the database, one row of MSysObjects each.
//
// MSysObjects is the table whose definition is on page 2. Each row names an
// object (table, query, form, report, macro, module, relationship, container)
// with its Id, ParentId (the container it is in), Name, Type and Flags. A
// table's Id is the page of its definition (docs/format.md, "The catalog").
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "jet/core/finding.h"
#include "jet/core/result.h"
#include "jet/format/catalog_ids.h"
#include "jet/format/data_page.h"
#include "jet/format/table_definition.h"
#include "jet/format/value.h"
#include "jet/model/database.h"

namespace jet {

// Flags bits that mark a system object.
inline constexpr std::uint32_t kSystemObjectFlags = 0x80000002;

struct CatalogEntry {
  std::int32_t id = 0;
  std::int32_t parentId = 0;
  std::string name;                   // bytes in the database code page
  std::int16_t type = 0;
  std::uint32_t flags = 0;
  std::optional<DateTime> created;
  std::optional<DateTime> updated;
  std::vector<std::byte> properties;  // LvProp, empty when none (properties.h)
  RowLocation location;               // its row in MSysObjects

  bool isSystem() const { return (flags & kSystemObjectFlags) != 0; }
  bool isTable() const { return type == catalog_type::kTable; }
  // The table's definition page (requires isTable()).
  std::uint32_t tablePage() const { return static_cast<std::uint32_t>(id) & 0x00FFFFFF; }
};

// Spanish name of a catalog type ("Tabla", "Consulta", ...), or its number.
std::string catalogTypeName(std::int16_t type);

// Index of the column of `t` named `name` (bytes in the code page its column
// blocks name; compared as Jet compares names, names.h), or -1.
int columnIndex(const TableDefinition& t, std::string_view name);

// Where the catalog's columns are in the rows of MSysObjects, found by name.
class CatalogColumns {
 public:
  // Fails with 3343 when `objects` lacks one of Id, Name and Type.
  static Result<CatalogColumns> find(const TableDefinition& objects);
  // The entry one row of MSysObjects describes; a missing or NULL column
  // leaves its field at its default.
  CatalogEntry entry(const std::vector<Value>& row, RowLocation location) const;

 private:
  int id_ = -1, parent_ = -1, name_ = -1, type_ = -1, flags_ = -1, created_ = -1,
      updated_ = -1, props_ = -1;
};

// True iff page 2 of `pages` holds a table definition with MSysObjects'
// columns Id, Name and Type: what shows a file to be a Jet 3 database when
// its page 0 does not (repair).
bool holdsCatalogDefinition(const PageSource& pages);

class Catalog {
 public:
  // Reads every row of MSysObjects. Rows that cannot be read are reported to
  // `damage` when given; otherwise the first one fails the read with 3343.
  static Result<Catalog> read(const Database& db, DamageSink* damage = nullptr);

  const std::vector<CatalogEntry>& entries() const { return entries_; }
  // Local tables, in catalog order; system tables only when asked.
  std::vector<const CatalogEntry*> tables(bool includeSystem) const;
  // The first object of type `type` (catalog_type) named `name`, bytes in the
  // database's code page compared as Jet compares names (names.h), or nullptr.
  const CatalogEntry* findObject(std::string_view name, std::int16_t type) const;
  // The local table named `name`, as findObject, or nullptr.
  const CatalogEntry* findTable(std::string_view name) const {
    return findObject(name, catalog_type::kTable);
  }
  // The entry with Id `id`, or nullptr.
  const CatalogEntry* findId(std::int32_t id) const;

 private:
  std::vector<CatalogEntry> entries_;
  int codePage_ = 1252;  // the database's, for names
};

}  // namespace jet
