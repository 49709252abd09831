#include "tests/support/open_table.h"

namespace testing_support {

OpenedTable openTableAt(const std::string& image, std::uint32_t page, const std::string& name) {
  OpenedTable o;
  auto db = jet::Database::openBytes(image);
  if (!db) return o.error = db.error().toString(), std::move(o);
  o.db = std::move(*db);
  auto table = jet::Table::open(*o.db, page, name);
  if (!table) return o.error = table.error().toString(), std::move(o);
  o.table.emplace(std::move(*table));
  return o;
}

OpenedTable openTable(const std::string& image, const std::string& name) {
  auto db = jet::Database::openBytes(image);
  if (!db) return OpenedTable{{}, {}, db.error().toString()};
  auto catalog = jet::Catalog::read(**db);
  if (!catalog) return OpenedTable{{}, {}, catalog.error().toString()};
  const jet::CatalogEntry* entry = catalog->findTable(name);
  if (!entry) return OpenedTable{{}, {}, "no table " + name};
  return openTableAt(image, entry->tablePage(), name);
}

}  // namespace testing_support
