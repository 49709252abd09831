#include "jet/write/database_source.h"

#include <algorithm>
#include <set>

#include "jet/model/catalog.h"
#include "jet/model/row_cursor.h"
#include "jet/model/table.h"

namespace jet {
namespace {

// Reads a table through RowCursor, failing at the first damage.
class CursorStream final : public RowStream {
 public:
  CursorStream(const Database& db, const SourceTable& table)
      : cursor_(db, table.definition, nullptr, table.name) {}
  Result<bool> next() override { return cursor_.next(); }
  const std::vector<Value>& values() const override { return cursor_.values(); }

 private:
  RowCursor cursor_;
};

}  // namespace

Result<std::unique_ptr<DatabaseSource>> DatabaseSource::open(const Database& db) {
  std::unique_ptr<DatabaseSource> source(new DatabaseSource(db));
  source->settings_.header = db.header();
  std::array<std::byte, kPageSize> first{};
  JET_TRY(std::size_t n, db.pages().bytes().readAt(0, first));
  if (n != kPageSize) return Error::corrupt(0, "la cabecera está incompleta");
  source->settings_.headerPage.assign(first.begin(), first.end());

  JET_TRY(Catalog catalog, Catalog::read(db));
  std::set<std::int32_t> ids;
  for (const CatalogEntry* e : catalog.tables(true)) {
    if (!ids.insert(e->id).second) {
      return Error::corrupt(e->location.page, "dos tablas del catálogo con el mismo Id");
    }
    JET_TRY(Table table, Table::open(db, e));
    source->tables_.push_back(SourceTable{e->name, e->id, table.definition()});
  }
  std::sort(source->tables_.begin(), source->tables_.end(),
            [](const SourceTable& a, const SourceTable& b) { return a.sourceId < b.sourceId; });
  if (source->tables_.empty() ||
      source->tables_.front().sourceId != static_cast<std::int32_t>(kCatalogPage)) {
    return Error::corrupt(kCatalogPage, "MSysObjects no figura en su propio catálogo");
  }
  return source;
}

Result<std::unique_ptr<RowStream>> DatabaseSource::rows(std::size_t table) {
  if (table >= tables_.size()) return Error(errc::kInvalidArgument);
  return std::unique_ptr<RowStream>(std::make_unique<CursorStream>(*db_, tables_[table]));
}

}  // namespace jet
