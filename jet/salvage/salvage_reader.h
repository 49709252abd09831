// Reading what can still be read of a damaged database.
//
// Outline of open():
//   1. The header: the settings page 0 still holds, the rest restored
//      (header_salvage.h).
//   2. A census of every page: type, owner, free or not (page_census.h).
//   3. The catalog: MSysObjects' definition (page 2; the standard one where
//      page 2 holds a damaged one, catalog_definition.h) and every row of it
//      that can be read.
//   4. The tables the catalog names whose definitions can be read, under their
//      names; a table whose definition is lost is a problem, and its catalog
//      rows are left out (lostTableIds()).
//   5. Definitions no catalog row names, found by the census (a catalog row
//      lost to damage): kept under a recognisable name,
//      "Tabla_recuperada_<página>", or a system table's own name when their
//      columns are that table's.
//   6. Each table's data pages: those its usage map names and those whose
//      header names the table and that are not free (a damaged map loses no
//      page); never a page that belongs to another table.
// Rows are then read one table at a time (rows()). Every loss met on the way
// is a problem in problems(), the future rows of MSysCompactError.
//
// The reader reads `bytes` only; it never writes.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string_view>
#include <vector>

#include "jet/core/result.h"
#include "jet/format/catalog_ids.h"
#include "jet/format/header_page.h"
#include "jet/io/byte_source.h"
#include "jet/io/page_source.h"
#include "jet/salvage/page_census.h"
#include "jet/salvage/problem.h"
#include "jet/salvage/row_salvage.h"
#include "jet/salvage/salvaged_table.h"

namespace jet {

// The name a table found only by scanning gets: "Tabla_recuperada_<page>".
std::string recoveredTableName(std::uint32_t tdefPage);

class SalvageReader {
 public:
  // Requires: `bytes` outlives the reader. Fails with 3049 when neither
  // page 0 nor page 2 shows a Jet 3 database (header_salvage.h), 3031 when
  // the database has a password and `password` (UTF-8) is not it, 3043 on an
  // I/O error.
  static Result<std::unique_ptr<SalvageReader>> open(const ByteSource& bytes,
                                                     std::string_view password = {});

  const HeaderPage& header() const { return header_; }
  // True iff a header setting had to be restored.
  bool headerRestored() const { return headerRestored_; }
  const PageSource& pages() const { return pages_; }
  const PageCensus& census() const { return census_; }

  // MSysObjects first, then the other tables in the order of their definition
  // pages, the catalog's and the recovered ones alike.
  const std::vector<SalvagedTable>& tables() const { return tables_; }
  // Catalog Ids and names of the tables whose definitions are lost.
  const std::set<std::int32_t>& lostTableIds() const { return lostTableIds_; }
  const std::vector<std::string>& lostTableNames() const { return lostTableNames_; }
  // MSysObjects rows (row pointers) to leave out: those of lost tables, and
  // second rows for one table.
  const std::set<std::uint32_t>& droppedCatalogRows() const { return droppedCatalogRows_; }
  // True iff a catalog row names MSysObjects itself.
  bool catalogRowFound() const { return catalogRowFound_; }
  // The Id of the catalog's container of tables.
  std::int32_t tablesContainerId() const { return tablesContainer_; }
  // Containers that catalog rows kept (or the tables found by scanning) name
  // as their parent and that no row kept is (their rows were lost), by Id,
  // with the name their rebuilt row gets: Tables, Databases and Relationships
  // have the same Ids in every database; another is named after the objects
  // in it (Forms, Reports, Scripts, Modules) when they are all of one type
  // and no container has that name, else "Contenedor_recuperado_<id>".
  const std::map<std::int32_t, std::string>& missingContainers() const { return missingContainers_; }

  ProblemList& problems() { return problems_; }
  const ProblemList& problems() const { return problems_; }

  // A cursor over the rows of tables()[table]. Requires: this reader outlives it.
  SalvageRowCursor rows(std::size_t table);

 private:
  SalvageReader() = default;
  Status readCatalog(std::vector<CatalogEntry>& entries);
  void addCatalogTables(const std::vector<CatalogEntry>& entries);
  void addRecoveredTables(const std::vector<CatalogEntry>& entries, bool catalogDamaged);
  void findMissingContainers(const std::vector<CatalogEntry>& entries);
  std::vector<std::uint32_t> tablePages(const TableDefinition& def, const std::string& name);
  SalvagedTable makeTable(CatalogEntry entry, TableDefinition def, bool recovered);
  bool nameTaken(std::string_view name) const;

  HeaderPage header_;
  bool headerRestored_ = false;
  PageSource pages_ = PageSource::empty();
  PageCensus census_;
  ProblemList problems_;
  std::vector<SalvagedTable> tables_;
  std::set<std::int32_t> lostTableIds_;
  std::vector<std::string> lostTableNames_;
  std::set<std::uint32_t> droppedCatalogRows_;
  std::int32_t tablesContainer_ = catalog_id::kTablesContainer;
  std::map<std::int32_t, std::string> missingContainers_;
  bool catalogRowFound_ = false;
};

}  // namespace jet
