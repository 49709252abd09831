#include "jet/write/database_source.h"

#include <algorithm>
#include <optional>
#include <set>

#include "jet/format/index_page.h"
#include "jet/index/index_key.h"
#include "jet/model/carried_keys.h"
#include "jet/model/catalog.h"
#include "jet/model/index_shape.h"
#include "jet/model/index_walker.h"
#include "jet/model/row_cursor.h"
#include "jet/model/table.h"
#include "jet/write/external_sorter.h"

namespace jet {
namespace {

// Reads a table through RowCursor, failing at the first damage, with the
// stored keys of its carried indexes.
class CursorStream : public RowStream {
 public:
  CursorStream(const Database& db, const SourceTable& table, bool keyOrder, CarriedKeys carried)
      : cursor_(db, table.definition, nullptr, table.name), keyOrder_(keyOrder),
        carried_(std::move(carried)) {}
  Result<bool> next() override {
    JET_TRY(bool more, cursor_.next());
    if (more) JET_CHECK(lookUp());
    return more;
  }
  const std::vector<Value>& values() const override { return cursor_.values(); }
  bool primaryKeyOrder() const override { return keyOrder_; }
  std::span<const std::optional<std::vector<std::byte>>> carriedKeys() const override {
    return carried_.keys();
  }

 protected:
  Status lookUp() {
    return carried_.any() ? carried_.lookUp(cursor_.location(), cursor_.values()) : okStatus();
  }
  RowCursor cursor_;

 private:
  bool keyOrder_;
  CarriedKeys carried_;
};

// Reads whole rows at the places a key sort lists.
class SortedStream final : public CursorStream {
 public:
  SortedStream(const Database& db, const SourceTable& table, std::unique_ptr<ExternalSorter> keys,
               CarriedKeys carried)
      : CursorStream(db, table, true, std::move(carried)), keys_(std::move(keys)) {}
  Result<bool> next() override {
    JET_TRY(bool more, keys_->next());
    if (!more) return false;
    const std::span<const std::byte> p = keys_->payload();
    const RowLocation at{std::to_integer<std::uint32_t>(p[0]) << 16 |
                             std::to_integer<std::uint32_t>(p[1]) << 8 |
                             std::to_integer<std::uint32_t>(p[2]),
                         std::to_integer<std::uint8_t>(p[3])};
    JET_TRY(bool found, cursor_.readAt(at));
    if (!found) return Error::corrupt(at.page, "la fila ha desaparecido entre dos lecturas");
    JET_CHECK(lookUp());
    return true;
  }

 private:
  std::unique_ptr<ExternalSorter> keys_;
};

// Whether the table's primary key, walked in key order, points at the rows
// in the order they lie in, every row counted: a compacted file, or rows
// added in key order. Only a forecast, which saves reading every row's key
// first: the compactor checks the keys' order as the rows come and fails
// (3343) if the index was wrong. Text keys are left to the key pass: their
// order in a file written by Access rests on its sort codes, not ours.
bool keyOrderIsPhysical(const Database& db, const TableDefinition& t, const RealIndexDef& pk,
                        const IndexShape& shape) {
  for (std::size_t pos : shape.valuePositions) {
    const ColumnDef& c = t.columns[pos];
    if (!isKnownColumnType(c.typeCode) || c.type == ColumnType::kText || c.type == ColumnType::kMemo) {
      return false;
    }
  }
  struct CountingSink final : DamageSink {
    std::uint64_t count = 0;
    void report(Finding) override { ++count; }
  } damage;
  const IndexWalkTarget target{pageFetch(db.pages()), db.pages().pageCount(), pk.firstPage, t.page,
                               {}, {}};
  bool ordered = true;
  std::optional<std::uint64_t> previous;
  auto walk = walkIndex(target, damage, [&](const IndexEntry& e, std::uint32_t) {
    const std::uint64_t at = std::uint64_t{e.dataPage} << 8 | e.dataRow;
    if (previous && at <= *previous) ordered = false;
    previous = at;
  });
  return walk && damage.count == 0 && ordered && walk->entries == t.rowCount;
}

}  // namespace

Result<std::unique_ptr<DatabaseSource>> DatabaseSource::open(const Database& db,
                                                             DatabaseSourceOptions options) {
  std::unique_ptr<DatabaseSource> source(new DatabaseSource(db, std::move(options)));
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
  const SourceTable& t = tables_[table];
  JET_TRY(CarriedKeys carried,
          CarriedKeys::read(pageFetch(db_->pages()), db_->pages().pageCount(), t.definition, t.name));
  const std::optional<std::size_t> pk = t.definition.primaryKeyIndex();
  if (!pk) {
    return std::unique_ptr<RowStream>(
        std::make_unique<CursorStream>(*db_, t, false, std::move(carried)));
  }

  JET_TRY(IndexShape shape, indexShape(t.definition, t.definition.realIndexes[*pk]));
  if (keyOrderIsPhysical(*db_, t.definition, t.definition.realIndexes[*pk], shape)) {
    return std::unique_ptr<RowStream>(
        std::make_unique<CursorStream>(*db_, t, true, std::move(carried)));
  }
  // Otherwise a first pass: the key of every row, read without the other
  // columns, to a sort.
  std::vector<bool> wanted(t.definition.columns.size(), false);
  for (std::size_t pos : shape.valuePositions) wanted[pos] = true;
  RowCursor keys(*db_, t.definition, nullptr, t.name);
  keys.selectColumns(wanted);
  auto sorter = std::make_unique<ExternalSorter>(
      ScratchSpace{options_.scratchFolder, options_.fileSystem}, options_.sortMemory);
  std::vector<Value> keyValues;
  std::vector<std::byte> previous;
  bool inOrder = true;
  for (;;) {
    JET_TRY(bool more, keys.next());
    if (!more) break;
    const RowLocation at = keys.location();
    std::vector<std::byte> key;
    if (shape.carried) {
      // Access's own key, in Access's order (a primary key has an entry for every row).
      const CarriedKeys::Key* stored = carried.find(*pk, at);
      if (!stored) return Error::corrupt(at.page, "falta la entrada de la fila en la clave principal");
      key = *stored;
    } else {
      keyValues.clear();
      for (std::size_t pos : shape.valuePositions) keyValues.push_back(keys.values()[pos]);
      JET_TRY(key, encodeKey(shape.columns, keyValues));
    }
    const std::array<std::byte, 4> where{std::byte(at.page >> 16), std::byte(at.page >> 8),
                                         std::byte(at.page), std::byte(at.row)};
    if (inOrder && keys.count() > 1 && compareKeys(previous, key) >= 0) inOrder = false;
    previous = key;
    JET_CHECK(sorter->add(key, where));
  }
  // Already in key order (a compacted file): read on in physical order.
  if (inOrder) {
    return std::unique_ptr<RowStream>(
        std::make_unique<CursorStream>(*db_, t, true, std::move(carried)));
  }
  JET_CHECK(sorter->finish());
  return std::unique_ptr<RowStream>(
      std::make_unique<SortedStream>(*db_, t, std::move(sorter), std::move(carried)));
}

}  // namespace jet
