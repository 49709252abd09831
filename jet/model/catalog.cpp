#include "jet/model/catalog.h"

#include <algorithm>
#include <cctype>

#include "jet/model/names.h"
#include "jet/model/table.h"

namespace jet {
namespace {


template <class T>
std::optional<T> get(const std::vector<Value>& values, int index) {
  if (index < 0) return std::nullopt;
  if (const T* v = std::get_if<T>(&values[static_cast<std::size_t>(index)])) return *v;
  return std::nullopt;
}

}  // namespace

int columnIndex(const TableDefinition& t, std::string_view name) {
  // Every column block repeats the database's code page (docs/format.md).
  const NameMatcher names(t.columns.empty() ? 1252 : t.columns.front().codePage);
  for (std::size_t i = 0; i < t.columns.size(); ++i) {
    if (names.same(t.columns[i].name, name)) return static_cast<int>(i);
  }
  return -1;
}

std::string catalogTypeName(std::int16_t type) {
  using namespace catalog_type;
  switch (type) {
    case kTable: return "Tabla";
    case kDatabase: return "Base de datos";
    case kContainer: return "Contenedor";
    case kQuery: return "Consulta";
    case kLinkedTable: return "Tabla vinculada";
    case kRelationship: return "Relación";
    case kForm: return "Formulario";
    case kMacro: return "Macro";
    case kReport: return "Informe";
    case kModule: return "Módulo";
    case kDocument: return "Documento";
    default: return std::to_string(type);
  }
}

bool holdsCatalogDefinition(const PageSource& pages) {
  auto def = readTableDefinition(pages, kCatalogPage);
  return def && CatalogColumns::find(*def);
}

Result<CatalogColumns> CatalogColumns::find(const TableDefinition& t) {
  CatalogColumns c;
  // Each column read, of the type every Jet 3 catalog gives it: one of
  // another type (a garbled definition) would read as no value, and a
  // system table's flags as a user table's.
  const struct {
    int* index;
    const char* name;
    ColumnType type;
  } columns[] = {{&c.id_, "Id", ColumnType::kLong},
                 {&c.parent_, "ParentId", ColumnType::kLong},
                 {&c.name_, "Name", ColumnType::kText},
                 {&c.type_, "Type", ColumnType::kInt},
                 {&c.flags_, "Flags", ColumnType::kLong},
                 {&c.created_, "DateCreate", ColumnType::kDateTime},
                 {&c.updated_, "DateUpdate", ColumnType::kDateTime},
                 {&c.props_, "LvProp", ColumnType::kOle}};
  for (const auto& column : columns) {
    *column.index = columnIndex(t, column.name);
    if (*column.index >= 0 &&
        t.columns[static_cast<std::size_t>(*column.index)].typeCode != static_cast<std::uint8_t>(column.type)) {
      return Error::corrupt(t.page, std::string("la columna ") + column.name + " de MSysObjects no es de su tipo");
    }
  }
  if (c.id_ < 0 || c.name_ < 0 || c.type_ < 0) {
    return Error::corrupt(t.page, "MSysObjects no tiene las columnas Id, Name y Type");
  }
  return c;
}

CatalogEntry CatalogColumns::entry(const std::vector<Value>& v, RowLocation location) const {
  CatalogEntry e;
  e.id = get<std::int32_t>(v, id_).value_or(0);
  e.parentId = get<std::int32_t>(v, parent_).value_or(0);
  e.name = get<Text>(v, name_).value_or(Text{}).bytes;
  e.type = get<std::int16_t>(v, type_).value_or(0);
  e.flags = static_cast<std::uint32_t>(get<std::int32_t>(v, flags_).value_or(0));
  e.created = get<DateTime>(v, created_);
  e.updated = get<DateTime>(v, updated_);
  if (auto p = get<Binary>(v, props_)) e.properties = std::move(p->bytes);
  e.location = location;
  return e;
}

Result<Catalog> Catalog::read(const Database& db, DamageSink* damage) {
  JET_TRY(Table objects, Table::open(db, kCatalogPage, "MSysObjects"));
  JET_TRY(CatalogColumns columns, CatalogColumns::find(objects.definition()));
  Catalog c;
  c.codePage_ = db.header().codePage;
  RowCursor rows = objects.rows(damage);
  while (true) {
    JET_TRY(bool more, rows.next());
    if (!more) break;
    c.entries_.push_back(columns.entry(rows.values(), rows.location()));
  }
  return c;
}

std::vector<const CatalogEntry*> Catalog::tables(bool includeSystem) const {
  std::vector<const CatalogEntry*> out;
  for (const CatalogEntry& e : entries_) {
    if (e.isTable() && (includeSystem || !e.isSystem())) out.push_back(&e);
  }
  return out;
}

const CatalogEntry* Catalog::findObject(std::string_view name, std::int16_t type) const {
  const NameMatcher names(codePage_);
  for (const CatalogEntry& e : entries_) {
    if (e.type == type && names.same(e.name, name)) return &e;
  }
  return nullptr;
}

const CatalogEntry* Catalog::findId(std::int32_t id) const {
  for (const CatalogEntry& e : entries_) {
    if (e.id == id) return &e;
  }
  return nullptr;
}

}  // namespace jet
