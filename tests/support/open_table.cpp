#include "tests/support/open_table.h"

namespace testing_support {

OpenedTable openTable(const std::string& image, const std::string& name) {
  OpenedTable o;
  auto db = jet::Database::openBytes(image);
  if (!db) return o.error = db.error().toString(), std::move(o);
  o.db = std::move(*db);
  auto catalog = jet::Catalog::read(*o.db);
  if (!catalog) return o.error = catalog.error().toString(), std::move(o);
  auto table = jet::Table::open(*o.db, catalog->findTable(name));
  if (!table) return o.error = table.error().toString(), std::move(o);
  o.table.emplace(std::move(*table));
  return o;
}

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

}  // namespace testing_support
