#include "jet/salvage/salvage_reader.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <set>

#include "jet/core/ascii.h"
#include "jet/format/table_definition.h"
#include "jet/format/usage_map.h"
#include "jet/model/catalog.h"
#include "jet/model/text.h"
#include "jet/salvage/catalog_definition.h"
#include "jet/salvage/definition_salvage.h"
#include "jet/salvage/header_salvage.h"

namespace jet {
namespace {

// The system tables whose rows other structures depend on, by the names of
// their columns: a definition found by scanning with exactly these columns is
// that table (the compactor finds MSysACEs by name, for instance).
struct SystemTable {
  const char* name;
  std::vector<std::string_view> columns;
};
const std::vector<SystemTable>& systemTables() {
  static const std::vector<SystemTable> kTables = {
      {"MSysACEs", {"ACM", "FInheritable", "ObjectId", "SID"}},
      {"MSysQueries",
       {"Attribute", "Expression", "Flag", "LvExtra", "Name1", "Name2", "ObjectId", "Order"}},
      {"MSysRelationships",
       {"ccolumn", "grbit", "icolumn", "szColumn", "szObject", "szReferencedColumn",
        "szReferencedObject", "szRelationship"}},
  };
  return kTables;
}

// The system table `def` is, judged by its columns, or nullptr.
const SystemTable* systemTableOf(const TableDefinition& def) {
  std::vector<std::string> names;
  for (const ColumnDef& c : def.columns) names.push_back(c.name);
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
      return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
    });
  });
  for (const SystemTable& t : systemTables()) {
    if (names.size() == t.columns.size() &&
        std::equal(names.begin(), names.end(), t.columns.begin(),
                   [](const std::string& a, std::string_view b) { return equalsIgnoringAsciiCase(a, b); })) {
      return &t;
    }
  }
  return nullptr;
}

// The pages of the usage map `pointer` names; damage to the map is reported
// once and ends the walk.
std::set<std::uint32_t> mapPages(const PageSource& pages, std::uint32_t pointer, bool& damaged,
                                 bool& pastEnd, std::string& why) {
  std::set<std::uint32_t> out;
  auto cursor = UsageMapCursor::open(pages, pointer);
  if (!cursor) {
    damaged = true;
    pastEnd = RowLocation::fromPointer(pointer).page >= pages.pageCount();
    why = cursor.error().reasonAt(-1);
    return out;
  }
  // Bounded: each page named is above the one before, or the walk stops.
  while (true) {
    auto next = cursor->next();
    if (!next) {
      damaged = true;
      pastEnd = cursor->leftTheFile();
      why = next.error().reasonAt(-1);
      return out;
    }
    if (!*next) return out;
    out.insert(**next);
  }
}

}  // namespace

std::string recoveredTableName(std::uint32_t tdefPage) {
  return "Tabla_recuperada_" + std::to_string(tdefPage);
}

Result<std::unique_ptr<SalvageReader>> SalvageReader::open(const ByteSource& bytes,
                                                         std::string_view password) {
  std::unique_ptr<SalvageReader> r(new SalvageReader());
  // 1. The header.
  JET_TRY(r->header_, salvageHeader(bytes, r->problems_, password));
  r->headerRestored_ = !r->problems_.empty();
  JET_TRY(r->pages_, PageSource::create(bytes));
  r->pages_.setDatabaseKey(r->header_.databaseKey);
  r->pages_.includePartialPage();  // the rows it holds whole are kept
  // 2. The census.
  JET_TRY(r->census_, PageCensus::take(r->pages_, r->problems_));
  // 3. The catalog, 4. its tables, 5. the tables it lost.
  std::vector<CatalogEntry> entries;
  const std::size_t before = r->problems_.total();
  JET_CHECK(r->readCatalog(entries));
  const bool catalogDamaged = r->problems_.total() != before;
  r->addCatalogTables(entries);
  r->addRecoveredTables(entries, catalogDamaged);
  r->findMissingContainers(entries);
  std::sort(r->tables_.begin() + 1, r->tables_.end(),
            [](const SalvagedTable& a, const SalvagedTable& b) { return a.tdef() < b.tdef(); });
  return r;
}

SalvageRowCursor SalvageReader::rows(std::size_t table) {
  return SalvageRowCursor(pages_, census_, tables_.at(table), header_.codePage, problems_);
}

// Removes the indexes of `def` that name a column the table does not have
// (damaged index blocks of a definition that still decodes), and the logical
// indexes on them; says so in `problems`. The rows lose nothing.
static void dropBrokenIndexes(TableDefinition& def, const std::string& name, ProblemList& problems) {
  std::vector<std::uint32_t> newPosition(def.realIndexes.size(), UINT32_MAX);
  std::vector<RealIndexDef> kept;
  for (std::size_t i = 0; i < def.realIndexes.size(); ++i) {
    const RealIndexDef& r = def.realIndexes[i];
    const bool whole = std::all_of(r.columns.begin(), r.columns.end(),
                                   [&](const IndexColumn& c) { return def.columnByNumber(c.column); });
    if (!whole) continue;
    newPosition[i] = static_cast<std::uint32_t>(kept.size());
    kept.push_back(r);
    kept.back().position = newPosition[i];
  }
  if (kept.size() == def.realIndexes.size()) return;
  problems.add(errc::kCorrupt, name, def.page, -1,
               "la definición tiene índices sobre columnas que no existen; se quitan esos índices");
  std::vector<LogicalIndexDef> logical;
  for (LogicalIndexDef l : def.logicalIndexes) {
    if (l.realIndex >= newPosition.size() || newPosition[l.realIndex] == UINT32_MAX) continue;
    l.realIndex = newPosition[l.realIndex];
    logical.push_back(std::move(l));
  }
  def.realIndexes = std::move(kept);
  def.logicalIndexes = std::move(logical);
}

SalvagedTable SalvageReader::makeTable(CatalogEntry entry, TableDefinition def, bool recovered) {
  dropBrokenIndexes(def, TextDecoder(header_.codePage).toUtf8(entry.name), problems_);
  SalvagedTable t;
  t.displayName = TextDecoder(header_.codePage).toUtf8(entry.name);
  t.entry = std::move(entry);
  t.recovered = recovered;
  t.definition = std::move(def);
  // 6. Its pages.
  t.pages = tablePages(t.definition, t.displayName);
  return t;
}

std::vector<std::uint32_t> SalvageReader::tablePages(const TableDefinition& def,
                                                     const std::string& name) {
  bool damaged = false, pastEnd = false;
  std::string why;
  std::set<std::uint32_t> pages = mapPages(pages_, def.usageMap, damaged, pastEnd, why);
  if (damaged) {
    // Pages past the end of the file: a file cut short lost their rows (a
    // damaged map may only seem to name them; a loss is said either way).
    problems_.add(errc::kCorrupt, name, def.page, -1,
                  "mapa de uso dañado (" + why + "); sus páginas se buscan por su cabecera" +
                      (pastEnd ? "; las filas de las páginas que faltan al final del archivo se pierden"
                               : ""),
                  pastEnd ? Loss::kRow : Loss::kNone);
  }
  for (auto it = pages.begin(); it != pages.end();) {
    if (census_.isDataPageOf(*it, def.page)) {
      ++it;
      continue;
    }
    // A sound map names the table's own pages: this one's rows are lost
    // with its header. A damaged map may name any page.
    problems_.add(errc::kCorrupt, name, *it, -1,
                  damaged ? "el mapa de uso nombra una página que no es de datos de la tabla; no se lee"
                          : "página de la tabla cuya cabecera ya no es de datos de la tabla; se "
                            "pierden sus filas",
                  damaged ? Loss::kNone : Loss::kRow);
    it = pages.erase(it);
  }
  for (std::uint32_t p : census_.dataPagesOf(def.page)) {
    if (pages.insert(p).second && !damaged) {
      problems_.add(errc::kCorrupt, name, p, -1,
                    "página de datos de la tabla que faltaba en su mapa de uso; se lee");
    }
  }
  return {pages.begin(), pages.end()};
}

Status SalvageReader::readCatalog(std::vector<CatalogEntry>& entries) {
  auto def = readTableDefinition(pages_, kCatalogPage);
  if (!def || !isStandardCatalogDefinition(*def)) {
    problems_.add(errc::kCorrupt, "MSysObjects", kCatalogPage, -1,
                  "definición de MSysObjects dañada" +
                      (def ? std::string() : " (" + def.error().reasonAt(kCatalogPage) + ")") +
                      "; se usa la de toda base de datos Access 97");
    def = standardCatalogDefinition(pages_, header_);
    if (!def) return std::move(def).error();
  }
  JET_TRY(CatalogColumns columns, CatalogColumns::find(*def));
  CatalogEntry self;
  self.id = static_cast<std::int32_t>(kCatalogPage);
  self.name = "MSysObjects";
  self.type = catalog_type::kTable;
  self.flags = 0x80000000u;
  tables_.push_back(makeTable(std::move(self), std::move(*def), false));
  SalvageRowCursor rows(pages_, census_, tables_.front(), header_.codePage, problems_);
  while (true) {
    JET_TRY(bool more, rows.next());
    if (!more) break;
    entries.push_back(columns.entry(rows.values(), rows.location()));
    if (entries.back().id == static_cast<std::int32_t>(kCatalogPage)) {
      // The table on page 2 is MSysObjects whatever its row now says.
      tables_.front().entry = entries.back();
      tables_.front().entry.name = "MSysObjects";
      catalogRowFound_ = true;
    }
    if (entries.back().type == catalog_type::kContainer &&
        equalsIgnoringAsciiCase(entries.back().name, "Tables")) {
      tablesContainer_ = entries.back().id;
    }
  }
  return okStatus();
}

void SalvageReader::addCatalogTables(const std::vector<CatalogEntry>& entries) {
  std::set<std::uint32_t> seen{kCatalogPage};
  const TextDecoder text(header_.codePage);
  for (const CatalogEntry& e : entries) {
    if (!e.isTable() || e.id == static_cast<std::int32_t>(kCatalogPage)) continue;
    const std::string name = text.toUtf8(e.name);
    const std::uint32_t page = e.tablePage();
    auto drop = [&](const std::string& why, Loss loss = Loss::kNone) {
      problems_.add(errc::kCorrupt, name, e.location.page, e.location.row,
                    "fila del catálogo que se quita: " + why, loss);
      droppedCatalogRows_.insert(e.location.pointer());
    };
    if (static_cast<std::uint32_t>(e.id) != page) {
      drop("el Id de la tabla no es una página");
      continue;
    }
    if (!seen.insert(page).second) {
      drop("otra fila del catálogo tiene el mismo Id");
      continue;
    }
    auto def = readTableDefinition(pages_, page);
    if (!def) {
      // What survives of it may still give the columns.
      if (auto rebuilt = salvageTableDefinition(pages_, page, e.isSystem())) {
        problems_.add(errc::kCorrupt, name, page, -1,
                      "definición de tabla dañada (" + def.error().reasonAt(page) +
                          "); se rehace " + rebuilt->repaired + " con lo que queda de ella");
        tables_.push_back(makeTable(e, std::move(rebuilt->definition), false));
        continue;
      }
      drop("la definición de la tabla no se puede leer (" + def.error().reasonAt(page) +
           "); la tabla y sus filas se pierden",
           Loss::kTable);
      lostTableIds_.insert(e.id);
      lostTableNames_.push_back(e.name);
      continue;
    }
    tables_.push_back(makeTable(e, std::move(*def), false));
  }
}

bool SalvageReader::nameTaken(std::string_view name) const {
  return std::any_of(tables_.begin(), tables_.end(),
                     [&](const SalvagedTable& t) { return equalsIgnoringAsciiCase(t.name(), name); });
}

void SalvageReader::addRecoveredTables(const std::vector<CatalogEntry>& entries,
                                       bool catalogDamaged) {
  // Without the free-page map, stale definitions of dropped tables look like
  // tables the catalog lost: they are only taken when the catalog shows
  // damage.
  if (!census_.freeMapKnown() && !catalogDamaged) return;
  std::set<std::uint32_t> known;
  for (const SalvagedTable& t : tables_) known.insert(t.definition.pages.begin(), t.definition.pages.end());
  for (std::int32_t id : lostTableIds_) known.insert(static_cast<std::uint32_t>(id));
  for (std::uint32_t page : census_.definitionStarts()) {
    if (known.count(page)) continue;
    auto def = readTableDefinition(pages_, page);
    // A damaged definition nobody names is nothing to recover; the table type
    // tells a first page from the continuation page of a damaged one.
    if (!def || (def->tableType != tdef::kUserTable && def->tableType != tdef::kSystemTable)) continue;
    CatalogEntry e;
    e.id = static_cast<std::int32_t>(page);
    e.parentId = tablesContainer_;
    e.type = catalog_type::kTable;
    e.name = recoveredTableName(page);
    for (int n = 2; nameTaken(e.name); ++n) e.name = recoveredTableName(page) + "_" + std::to_string(n);
    // A catalog row with the table's Id that is no table row (its type
    // garbled) was the table's: it goes, and the table keeps its name.
    for (const CatalogEntry& other : entries) {
      if (other.id != e.id || droppedCatalogRows_.count(other.location.pointer())) continue;
      droppedCatalogRows_.insert(other.location.pointer());
      problems_.add(errc::kCorrupt, TextDecoder(header_.codePage).toUtf8(other.name),
                    other.location.page, other.location.row,
                    "fila del catálogo con el Id de una tabla que no dice ser tabla; se quita y "
                    "la tabla se recupera");
      if (!other.name.empty() && !nameTaken(other.name)) e.name = other.name;
    }
    if (def->isSystem()) {
      e.flags = 0x80000000u;
      const SystemTable* system = systemTableOf(*def);
      if (system && !nameTaken(system->name)) e.name = system->name;
    }
    problems_.add(errc::kCorrupt, e.name, page, -1,
                  "definición de tabla que el catálogo no nombra; se recupera con este nombre");
    tables_.push_back(makeTable(std::move(e), std::move(*def), true));
  }
}

void SalvageReader::findMissingContainers(const std::vector<CatalogEntry>& entries) {
  constexpr std::int32_t kRoot = catalog_id::kRootContainer;
  std::set<std::int32_t> ids;
  std::set<std::string> rootNames;  // names at the top of the tree, lower case
  std::map<std::int32_t, std::int16_t> parents;  // the type of the objects in it, 0 if mixed
  auto lower = [](std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
  };
  auto child = [&](std::int32_t parent, std::int16_t type) {
    auto [it, first] = parents.emplace(parent, type);
    if (!first && it->second != type) it->second = 0;
  };
  for (const CatalogEntry& e : entries) {
    if (droppedCatalogRows_.count(e.location.pointer())) continue;
    ids.insert(e.id);
    child(e.parentId, e.type);
    if (e.parentId == kRoot) rootNames.insert(lower(e.name));
  }
  // The tables found by scanning, and the error table repair adds, go into
  // the tables container.
  child(tablesContainer_, catalog_type::kTable);
  static const std::map<std::int32_t, std::string> kFixed = {
      {catalog_id::kTablesContainer, "Tables"},
      {catalog_id::kDatabasesContainer, "Databases"},
      {catalog_id::kRelationshipsContainer, "Relationships"}};
  static const std::map<std::int16_t, std::string> kByObjects = {
      {catalog_type::kForm, "Forms"}, {catalog_type::kReport, "Reports"},
      {catalog_type::kMacro, "Scripts"}, {catalog_type::kModule, "Modules"}};
  for (const auto& [p, type] : parents) {
    if (p == kRoot || ids.count(p)) continue;
    std::string name = "Contenedor_recuperado_" + std::to_string(p);
    if (auto fixed = kFixed.find(p); fixed != kFixed.end()) {
      // A container at the top with the fixed name and an Id nothing lies in
      // is that container's row, its Id garbled: it goes, and the row is made
      // again with its own Id. A container by that name that holds objects
      // is another: the name stays its own.
      const CatalogEntry* garbled = nullptr;
      bool holding = false;
      for (const CatalogEntry& e : entries) {
        if (e.parentId != kRoot || lower(e.name) != lower(fixed->second) ||
            droppedCatalogRows_.count(e.location.pointer())) {
          continue;
        }
        if (e.type == catalog_type::kContainer && !parents.count(e.id)) garbled = &e;
        else holding = true;
      }
      if (!holding) {
        name = fixed->second;
        if (garbled) {
          droppedCatalogRows_.insert(garbled->location.pointer());
          problems_.add(errc::kCorrupt, "MSysObjects", garbled->location.page, garbled->location.row,
                        "fila del contenedor " + name + " con un Id que ningún objeto usa (" +
                            std::to_string(garbled->id) + "); se quita");
        }
      }
    } else if (auto named = kByObjects.find(type);
               named != kByObjects.end() && !rootNames.count(lower(named->second))) {
      name = named->second;
    }
    rootNames.insert(lower(name));
    missingContainers_.emplace(p, name);
    problems_.add(errc::kCorrupt, "MSysObjects", -1, -1,
                  "falta la fila del contenedor " + std::to_string(p) +
                      ", en el que hay objetos; se rehace con el nombre " + name);
  }
}

}  // namespace jet
