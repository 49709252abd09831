#include "jet/salvage/catalog_definition.h"

#include <algorithm>
#include <tuple>

#include "jet/core/ascii.h"
#include "jet/model/catalog.h"
#include "jet/write/new_database_catalog.h"

namespace jet {
namespace {

// The standard definition as a new database stores it.
const TableDefinition& newDatabaseCatalog() {
  static const TableDefinition def = [] {
    const Value hex = new_database::binary(new_database::systemTables().front().definition);
    const auto& bytes = std::get<Binary>(hex).bytes;
    auto decoded = decodeTableDefinition(ByteView(bytes), kCatalogPage);
    // The bytes are generated from an Access file and always decode.
    return decoded ? *decoded : TableDefinition{};
  }();
  return def;
}

// What must match in a column: everything that places or types its data.
auto columnShape(const ColumnDef& c) {
  return std::make_tuple(c.typeCode, c.number, c.varIndex, c.isFixed(),
                         c.isFixed() ? c.fixedOffset : 0, c.length);
}

bool sameColumns(const TableDefinition& a, const TableDefinition& b) {
  if (a.columns.size() != b.columns.size() || a.columnsCreated != b.columnsCreated ||
      a.varColumns != b.varColumns) {
    return false;
  }
  for (std::size_t i = 0; i < a.columns.size(); ++i) {
    if (columnShape(a.columns[i]) != columnShape(b.columns[i]) ||
        !equalsIgnoringAsciiCase(a.columns[i].name, b.columns[i].name)) {
      return false;
    }
  }
  return true;
}

// Each logical index as (name, kind, its real index's columns and flags),
// sorted: Access stores the two in either order.
using IndexShape = std::tuple<std::string, std::uint8_t, std::vector<std::pair<std::uint16_t, bool>>,
                              std::uint8_t>;
std::vector<IndexShape> indexShapes(const TableDefinition& t) {
  std::vector<IndexShape> out;
  for (const LogicalIndexDef& l : t.logicalIndexes) {
    if (l.realIndex >= t.realIndexes.size()) return {};
    const RealIndexDef& r = t.realIndexes[l.realIndex];
    std::vector<std::pair<std::uint16_t, bool>> columns;
    for (const IndexColumn& c : r.columns) columns.emplace_back(c.column, c.ascending);
    std::string name = l.name;
    for (char& ch : name) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    out.emplace_back(std::move(name), l.kind, std::move(columns), r.flags);
  }
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace

bool isStandardCatalogDefinition(const TableDefinition& def) {
  const TableDefinition& standard = newDatabaseCatalog();
  return def.tableType == standard.tableType && sameColumns(def, standard) &&
         def.realIndexes.size() == standard.realIndexes.size() &&
         indexShapes(def) == indexShapes(standard);
}

Result<TableDefinition> standardCatalogDefinition(const PageSource& pages, const HeaderPage& header) {
  TableDefinition def = newDatabaseCatalog();
  if (def.columns.empty()) return Error::corrupt(kCatalogPage, "definición de MSysObjects de referencia");
  def.pages = {kCatalogPage};
  def.rowCount = 0;
  def.autoNumber = 0;
  def.usageMap = 0;
  def.freeMap = 0;
  if (auto page = pages.read(kCatalogPage)) {
    def.usageMap = (*page)->view().u32(tdef::kUsageMap).value_or(0);
    def.freeMap = (*page)->view().u32(tdef::kFreeMap).value_or(0);
  }
  for (ColumnDef& c : def.columns) {
    c.sortOrder = header.sortOrder;
    c.codePage = header.codePage;
  }
  for (RealIndexDef& r : def.realIndexes) {
    r.usageMap = 0;
    r.firstPage = 0;
  }
  return def;
}

}  // namespace jet
