// Step 4 of the check (checker.h): one table, its rows and its indexes.
#include <algorithm>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "jet/check/check_context.h"
#include "jet/check/index_compare.h"
#include "jet/check/long_value_check.h"
#include "jet/model/index_shape.h"
#include "jet/model/index_walker.h"
#include "jet/model/table.h"
#include "jet/model/torn_page.h"

namespace jet {
namespace {

// Passes findings on and notes that there were some.
class NotingSink : public DamageSink {
 public:
  explicit NotingSink(DamageSink& to) : to_(to) {}
  void report(Finding f) override {
    any_ = true;
    to_.report(std::move(f));
  }
  bool any() const { return any_; }

 private:
  DamageSink& to_;
  bool any_ = false;
};

struct IndexState {
  const RealIndexDef* def = nullptr;
  std::string name;
  std::optional<IndexExpectation> expected;  // digest only, entries not kept
  // The expected entries themselves, read again once some index of the
  // table does not match its digest (collectExpected()).
  std::optional<EntryList> kept;
};

// The rows of `table`, read with their long values followed as far as an
// index's key needs (the other long values are followed, not kept).
RowCursor tableRows(const Table& table, DamageSink* damage,
                    const std::vector<IndexState>& indexes) {
  RowCursor rows = table.rows(damage);
  rows.trackLongValues(true);
  std::vector<bool> followOnly(table.definition().columns.size(), true);
  for (const IndexState& index : indexes) {
    if (!index.expected) continue;
    for (std::size_t pos : index.expected->shape().valuePositions) {
      if (pos < followOnly.size()) followOnly[pos] = false;
    }
  }
  rows.followOnly(std::move(followOnly));
  return rows;
}

// Memory for the expected entries of the indexes after the one that did not
// match its digest, kept from the same reading in case they do not match
// either: a damaged table's indexes rarely do, and each reading costs one of
// the whole table. Beyond it, each is read again when needed.
constexpr std::uint64_t kKeepAheadMemory = std::uint64_t{16} << 20;

// Reads the rows again to keep the entries that indexes[from] expects, and
// those of the indexes after it as far as kKeepAheadMemory goes: what an
// index that does not match its digest is compared with, entry by entry.
// The first reading reported the damage; this one reads the same rows.
void collectExpected(const Table& table, std::vector<IndexState>& indexes, std::size_t from) {
  std::vector<IndexExpectation> wanted;
  std::vector<IndexState*> owners;
  std::uint64_t ahead = 0;
  for (std::size_t i = from; i < indexes.size(); ++i) {
    if (!indexes[i].expected) continue;
    const IndexExpectation& e = *indexes[i].expected;
    if (i != from) {
      ahead += EntryList::footprint(e.digest().count(), e.keyBytes());
      if (ahead > kKeepAheadMemory) break;
    }
    wanted.emplace_back(e.shape());
    wanted.back().kept().reserve(e.digest().count(), e.keyBytes());
    owners.push_back(&indexes[i]);
  }
  IgnoreDamage ignore;
  RowCursor rows = tableRows(table, &ignore, indexes);
  for (;;) {
    auto more = rows.next();
    if (!more || !*more) break;
    const RowLocation at = rows.location();
    for (IndexExpectation& e : wanted) (void)e.addRow(rows.values(), at.page, at.row);
  }
  for (std::size_t k = 0; k < wanted.size(); ++k) owners[k]->kept = std::move(wanted[k].kept());
}

// The names of the logical indexes that use real index `position`.
std::string indexName(const CheckContext& c, const TableDefinition& def, std::uint32_t position) {
  std::string name;
  for (const LogicalIndexDef& l : def.logicalIndexes) {
    if (l.realIndex != position) continue;
    if (!name.empty()) name += ", ";
    name += c.text.toUtf8(l.name);
  }
  if (name.empty()) {
    name = '#';
    name += std::to_string(position);
  }
  return name;
}

// Index `i` of `indexes`: its tree walked, its pages claimed and compared
// with its map, its entries with the rows' (by digest; entry by entry when
// the digests differ).
void checkIndexTree(CheckContext& c, const Table& opened, const std::string& table,
                    std::vector<IndexState>& indexes, std::size_t i) {
  const TableDefinition& def = opened.definition();
  IndexState& index = indexes[i];
  const RealIndexDef& real = *index.def;
  ++c.record.indexes;
  c.claimMap(real.usageMap, def.page, table);
  IndexWalkTarget target{pageFetch(c.db.pages()), c.db.pages().pageCount(), real.firstPage,
                         def.page, table, index.name};
  std::optional<TreeDigest> tree;
  if (index.expected) tree.emplace(index.expected->shape());
  std::uint64_t entries = 0;
  std::uint64_t keyBytes = 0;
  auto walk = walkIndex(target, c.record.findings(), [&](IndexEntry& e, std::uint32_t) {
    ++entries;
    keyBytes += e.key.size();
    if (tree) tree->add(e);
  });
  if (!walk) {
    c.find(table, index.name, real.firstPage, -1, walk.error().reasonAt(real.firstPage));
    return;
  }
  c.record.indexEntries += entries;
  for (std::uint32_t p : walk->pages) c.claim(p, PageUse::kIndex, def.page, table);

  // Each real index has its own usage map, holding exactly its tree's pages.
  const std::vector<std::uint32_t> mapped = c.mapPages(real.usageMap, table, "mapa de uso del índice");
  std::vector<std::uint32_t> walked = walk->pages;
  std::sort(walked.begin(), walked.end());
  walked.erase(std::unique(walked.begin(), walked.end()), walked.end());
  for (std::uint32_t p : mapped) {
    if (!holdsPage(walked, p)) {
      c.find(table, index.name, p, -1, "el mapa de uso del índice incluye una página que el árbol no usa");
    }
  }
  for (std::uint32_t p : walked) {
    if (!holdsPage(mapped, p)) {
      c.find(table, index.name, p, -1, "página del árbol del índice que falta en su mapa de uso");
    }
  }
  // A statistic (docs/format.md): Access does not keep it exact between
  // compactions.
  if (real.statEntries != 0 && real.statEntries != entries) {
    c.note(FindingKind::kStaleStatistic, table, index.name, def.page,
           "la definición anota " + std::to_string(real.statEntries) +
               " entradas de índice y el árbol tiene " + std::to_string(entries));
  }
  if (index.expected && index.expected->shape().carried) {
    c.note(FindingKind::kUncheckedKeys, table, index.name, real.firstPage,
           "índice de texto en un orden de clasificación que este programa no reproduce: se "
           "comprueban su orden y las filas a las que apunta, no sus claves");
  }
  if (!index.expected) return;
  if (tree->matches(index.expected->digest())) {
    index.kept.reset();
    return;
  }
  // They differ: the entries themselves, the tree's walked again (its damage
  // reported the first time), to say where.
  if (!index.kept) collectExpected(opened, indexes, i);
  EntryList actual;
  actual.reserve(entries, keyBytes);
  IgnoreDamage ignore;
  (void)walkIndex(target, ignore, [&](IndexEntry& e, std::uint32_t) {
    actual.add(e.key, e.dataPage, e.dataRow);
  });
  compareIndexEntries(*index.kept, actual, index.expected->shape(), table, index.name,
                      c.record.findings());
  index.kept.reset();
}

// The earlier page of the table whose row the row at `body` repeats in the
// same place (a torn page, torn_page.h), or nullopt. `current` is the page
// `torn` last entered. A page that cannot be read here was reported where it
// was read.
std::optional<std::uint32_t> tornCopy(CheckContext& c, TornPageGuard& torn, std::uint32_t& current,
                                      RowLocation body) {
  if (body.page != current) {
    current = body.page;
    auto page = c.db.pages().read(body.page);
    if (!page || !torn.enter(**page)) return std::nullopt;
  }
  if (!torn.sharesSectors()) return std::nullopt;
  auto page = c.db.pages().read(body.page);
  if (!page) return std::nullopt;
  auto data = DataPage::decode((*page)->view(), body.page);
  if (!data) return std::nullopt;
  auto slot = data->slot(body.row);
  if (!slot) return std::nullopt;
  auto copied = torn.copyOf(slot->start, slot->end);
  return copied ? *copied : std::nullopt;
}

}  // namespace

void checkTable(CheckContext& c, const CatalogEntry& entry) {
  const std::string table = c.text.toUtf8(entry.name);
  auto opened = Table::open(c.db, entry.tablePage(), table);
  if (!opened) {
    c.find(table, "", entry.tablePage(), -1, opened.error().reasonAt(entry.tablePage()));
    return;
  }
  const TableDefinition& def = opened->definition();
  for (std::uint32_t p : def.pages) c.claim(p, PageUse::kTableDefinition, def.page, table);

  // The table's usage map holds its data pages; the free-space map a subset.
  c.claimMap(def.usageMap, def.page, table);
  c.claimMap(def.freeMap, def.page, table);
  const std::vector<std::uint32_t> data = c.mapPages(def.usageMap, table, "mapa de uso");
  for (std::uint32_t p : data) c.claim(p, PageUse::kTableData, def.page, table);
  for (std::uint32_t p : c.mapPages(def.freeMap, table, "mapa de espacio libre")) {
    if (!holdsPage(data, p)) c.find(table, "", p, -1, "página con espacio libre que la tabla no usa");
  }

  std::vector<IndexState> indexes;
  for (const RealIndexDef& real : def.realIndexes) {
    IndexState state{&real, indexName(c, def, real.position), std::nullopt, std::nullopt};
    auto shape = indexShape(def, real);
    if (shape) state.expected.emplace(std::move(*shape), false);
    else c.find(table, state.name, def.page, -1, shape.error().reasonAt(def.page));
    indexes.push_back(std::move(state));
  }

  // Rows and long values: the cursor reports what does not decode and goes on.
  LongValueCheck longValues(c, def, table);
  NotingSink rowDamage(c.record.findings());
  RowCursor rows = tableRows(*opened, &rowDamage, indexes);
  std::uint64_t count = 0;
  bool everyRowRead = true;
  // Rows a torn page repeats from another page of the table (torn_page.h).
  TornPageGuard torn(c.db.pages());
  std::uint32_t tornPage = 0;
  // The bodies of moved rows: each is one row's, named by one pointer.
  std::unordered_set<std::uint32_t> bodies;
  for (;;) {
    auto more = rows.next();
    if (!more) {
      c.find(table, "", -1, -1, more.error().reasonAt(-1));
      everyRowRead = false;
      break;
    }
    if (!*more) break;
    ++count;
    const RowLocation at = rows.location();
    if (const RowLocation body = rows.bodyLocation(); body != at && !bodies.insert(body.pointer()).second) {
      c.find(table, "", at.page, at.row,
             "fila desplazada a la página " + std::to_string(body.page) + ", fila " +
                 std::to_string(body.row) + ", de donde ya se leyó otra fila");
    }
    longValues.addRow(at, rows.longValueRows());
    if (auto copied = tornCopy(c, torn, tornPage, rows.bodyLocation())) {
      c.find(table, "", rows.bodyLocation().page, rows.bodyLocation().row,
             "página escrita a medias: la fila repite byte a byte la de la página " +
                 std::to_string(*copied) + " en el mismo sitio");
    }
    for (IndexState& index : indexes) {
      if (!index.expected) continue;
      if (auto s = index.expected->addRow(rows.values(), at.page, at.row); !s) {
        c.find(table, index.name, at.page, at.row, "no se puede calcular la clave de la fila");
      }
    }
  }
  longValues.finish(everyRowRead && !rowDamage.any());
  c.record.rows += count;
  // Access does not keep the count exact between compactions either; rows
  // that do not read are findings of their own.
  if (count != def.rowCount) {
    c.note(FindingKind::kStaleStatistic, table, "", def.page,
           "la definición anota " + std::to_string(def.rowCount) + " filas y hay " +
               std::to_string(count));
  }

  for (std::size_t i = 0; i < indexes.size(); ++i) checkIndexTree(c, *opened, table, indexes, i);
}

}  // namespace jet
