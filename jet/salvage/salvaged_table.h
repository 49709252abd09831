// A table as salvage found it: where its definition is, what the catalog
// calls it, and which data pages hold its rows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jet/format/table_definition.h"
#include "jet/model/catalog.h"

namespace jet {

struct SalvagedTable {
  CatalogEntry entry;          // its catalog row; made up for a recovered table
  std::string displayName;     // the name in UTF-8, for problems and messages
  bool recovered = false;      // found only by a scan of the pages
  TableDefinition definition;  // as read from its TDEF pages
  // Its data pages, ascending: the pages its usage map names and the pages
  // whose header names it, never a page owned by another table.
  std::vector<std::uint32_t> pages;

  const std::string& name() const { return entry.name; }
  std::uint32_t tdef() const { return definition.page; }
};

}  // namespace jet
