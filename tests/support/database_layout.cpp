#include "tests/support/database_layout.h"

#include <stdexcept>

#include "jet/core/finding.h"
#include "jet/format/usage_map.h"
#include "jet/model/catalog.h"
#include "jet/model/index_walker.h"
#include "jet/model/table.h"
#include "tests/support/damage.h"

namespace testing_support {
namespace {

std::vector<std::uint32_t> mapPages(const jet::PageSource& pages, std::uint32_t pointer) {
  std::vector<std::uint32_t> out;
  auto cursor = jet::UsageMapCursor::open(pages, pointer);
  if (!cursor) return out;
  for (auto next = cursor->next(); next && *next; next = cursor->next()) out.push_back(**next);
  return out;
}

}  // namespace

std::vector<const TableLayout*> DatabaseLayout::userTables() const {
  std::vector<const TableLayout*> out;
  for (const TableLayout& t : tables) if (!t.system) out.push_back(&t);
  return out;
}

const TableLayout* DatabaseLayout::table(const std::string& name) const {
  for (const TableLayout& t : tables) if (t.name == name) return &t;
  return nullptr;
}

DatabaseLayout describeDatabase(const std::string& image) {
  auto db = jet::Database::openBytes(image, "original");
  if (!db) throw std::runtime_error(db.error().toString());
  auto catalog = jet::Catalog::read(**db);
  if (!catalog) throw std::runtime_error(catalog.error().toString());
  const jet::PageSource& pages = (*db)->pages();
  DatabaseLayout layout;
  layout.pageCount = pages.pageCount();
  for (const jet::CatalogEntry* entry : catalog->tables(true)) {
    auto table = jet::Table::open(**db, entry);
    if (!table) throw std::runtime_error(table.error().toString());
    const jet::TableDefinition& def = table->definition();
    TableLayout t;
    t.name = entry->name;
    t.system = entry->isSystem();
    t.tdef = def.page;
    t.tdefPages = def.pages;
    t.usageMap = def.usageMap;
    t.freeMap = def.freeMap;
    t.dataPages = mapPages(pages, def.usageMap);
    t.catalogRow = entry->location;
    for (const jet::RealIndexDef& real : def.realIndexes) {
      jet::IgnoreDamage ignore;
      jet::IndexWalkTarget target{jet::pageFetch(pages), pages.pageCount(), real.firstPage,
                                  def.page, t.name, ""};
      auto walk = jet::walkIndex(target, ignore, [](const jet::IndexEntry&, std::uint32_t) {});
      if (walk) t.indexPages.insert(t.indexPages.end(), walk->pages.begin(), walk->pages.end());
    }
    layout.tables.push_back(std::move(t));
  }
  for (std::uint32_t p = 0; p < pages.pageCount(); ++p) {
    auto page = pages.read(p);
    if (page && (*page)->type() == jet::data_page::kPageType &&
        (*page)->view().u32(jet::data_page::kOwner) == jet::data_page::kLongValueOwner) {
      layout.longValuePages.push_back(p);
    }
  }
  return layout;
}

ByteRange rowRange(const std::string& image, std::uint32_t page, std::uint16_t row) {
  auto data = jet::DataPage::decode(jet::ByteView(image.data() + at(page, 0), kTestPageSize), page);
  if (!data) return {};
  auto slot = data->slot(row);
  if (!slot) return {};
  return {at(page, slot->start), at(page, slot->end)};
}

void renameTable(std::string& image, const std::string& from, const std::string& to) {
  const DatabaseLayout layout = describeDatabase(image);
  const TableLayout* table = layout.table(from);
  if (!table || to.size() != from.size()) throw std::runtime_error("no se renombra " + from);
  const ByteRange row = rowRange(image, table->catalogRow.page, table->catalogRow.row);
  const std::size_t name = image.find(from, row.start);
  if (name >= row.end) throw std::runtime_error(from + " no está en su fila del catálogo");
  image.replace(name, from.size(), to);
}

}  // namespace testing_support
