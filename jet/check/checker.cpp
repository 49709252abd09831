#include "jet/check/checker.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <deque>
#include <memory>
#include <system_error>
#include <thread>
#include <map>
#include <vector>

#include "jet/check/check_context.h"
#include "jet/format/data_page.h"
#include "jet/format/table_definition.h"
#include "jet/format/usage_map.h"

namespace jet {
namespace {

// A usage map that keeps failing is abandoned after this many bad entries.
constexpr int kMapErrorsBeforeGivingUp = 8;

// True iff a slot of `page` holds a row (live, or moved, or a moved body).
bool holdsRows(const DataPage& page) {
  for (std::uint16_t r = 0; r < page.rowCount(); ++r) {
    auto slot = page.slot(r);
    if (slot && slot->kind != SlotKind::kDeleted) return true;
  }
  return false;
}

// Step 5 for page `n`, which nothing uses and which is not marked free. A
// data page of a table in the catalog that still holds rows has lost its
// place in the table's usage map: its rows are the table's and nothing reads
// them. Any other such page is space Access left behind (pages it added to
// the file and never wrote, or freed and never marked free: docs/format.md).
void judgeUnusedPage(CheckContext& c, std::uint32_t n,
                     const std::map<std::uint32_t, std::string>& tables) {
  if (auto page = c.db.pages().read(n)) {
    auto data = DataPage::decode((*page)->view(), n);
    if (data && !data->isLongValuePage()) {
      auto table = tables.find(data->owner());
      if (table != tables.end() && holdsRows(*data)) {
        c.find(table->second, "", n, -1,
               "página con filas de la tabla que su mapa de uso no incluye");
        return;
      }
    }
  }
  c.note(FindingKind::kReclaimableSpace, "", "", n,
         "página que nadie usa y que no está marcada como libre");
}

}  // namespace

void CheckRecord::add(bool damage, Finding f) {
  std::size_t& kept = kept_[damage];
  if (kept < cap_) {
    ++kept;
    entries_.push_back(Entry{std::move(f), claims_.size(), damage, false});
    return;
  }
  // Past the cap only the kind and the count matter: consecutive ones add up.
  if (!entries_.empty()) {
    Entry& last = entries_.back();
    if (last.countOnly && last.damage == damage && last.claimsBefore == claims_.size() &&
        last.finding.kind == f.kind) {
      last.finding.count += f.count;
      return;
    }
  }
  Finding counted;
  counted.kind = f.kind;
  counted.count = f.count;
  entries_.push_back(Entry{std::move(counted), claims_.size(), damage, true});
}

void CheckRecord::claim(std::uint32_t page, PageUse use, std::uint32_t owner,
                        const std::string& name) {
  std::uint32_t index = kNoName;
  if (!name.empty()) {
    if (names_.empty() || names_.back() != name) names_.push_back(name);
    index = static_cast<std::uint32_t>(names_.size() - 1);
  }
  claims_.push_back(Claim{page, owner, index, use});
}

void CheckRecord::replay(CheckReport& report, PageOwners& owners) {
  static const std::string kNone;
  std::size_t claimed = 0;
  auto claimUpTo = [&](std::size_t end) {
    for (; claimed < end; ++claimed) {
      const Claim& c = claims_[claimed];
      owners.claim(c.page, c.use, c.owner, c.name == kNoName ? kNone : names_[c.name]);
    }
  };
  for (Entry& e : entries_) {
    claimUpTo(e.claimsBefore);
    (e.damage ? report.findings : report.notes).report(std::move(e.finding));
  }
  claimUpTo(claims_.size());
  report.rows += rows;
  report.indexes += indexes;
  report.indexEntries += indexEntries;
  entries_.clear();
  claims_.clear();
  names_.clear();
  kept_[0] = kept_[1] = 0;
  rows = indexes = indexEntries = 0;
}

void CheckContext::find(std::string table, std::string index, std::int64_t page,
                        std::int64_t row, std::string message) {
  Finding f;
  f.table = std::move(table);
  f.index = std::move(index);
  f.page = page;
  f.row = row;
  f.message = std::move(message);
  record.findings().report(std::move(f));
}

void CheckContext::note(FindingKind kind, std::string table, std::string index,
                        std::int64_t page, std::string message) {
  Finding f;
  f.kind = kind;
  f.table = std::move(table);
  f.index = std::move(index);
  f.page = page;
  f.message = std::move(message);
  record.notes().report(std::move(f));
}

void CheckContext::claimMap(std::uint32_t pointer, std::uint32_t owner, const std::string& name) {
  const RowLocation at = RowLocation::fromPointer(pointer);
  claim(at.page, PageUse::kUsageMap, owner, name);
  // A page-referenced map names its bitmap pages in its row.
  auto page = db.pages().read(at.page);
  if (!page) return;  // reported when the map is read
  auto data = DataPage::decode((*page)->view(), at.page);
  if (!data) return;
  auto row = data->rowBytes(at.row);
  if (!row || row->u8(usage_map::kType) != usage_map::kReferenced) return;
  for (std::size_t off = usage_map::kPagePointers; row->has(off, 4); off += 4) {
    const std::uint32_t bitmap = *row->u32(off);
    if (bitmap != 0) claim(bitmap, PageUse::kMapBitmap, owner, name);
  }
}

std::vector<std::uint32_t> CheckContext::mapPages(std::uint32_t pointer, const std::string& table,
                                                  const std::string& what) {
  std::vector<std::uint32_t> pages;
  const RowLocation at = RowLocation::fromPointer(pointer);
  auto cursor = UsageMapCursor::open(db.pages(), pointer);
  if (!cursor) {
    find(table, "", at.page, at.row, what + ": " + cursor.error().reasonAt(at.page, at.row));
    return pages;
  }
  int errors = 0;
  // Bounded: each step yields a page above the previous one, or an error.
  while (errors < kMapErrorsBeforeGivingUp) {
    auto next = cursor->next();
    if (!next) {
      ++errors;
      find(table, "", at.page, at.row, what + ": " + next.error().reasonAt(at.page, at.row));
      continue;
    }
    if (!*next) break;
    pages.push_back(**next);
  }
  return pages;
}

void checkHeader(CheckContext& c) {
  const HeaderPage& h = c.db.header();
  auto bad = [&c](std::string what) { c.find("", "", 0, -1, "cabecera: " + what); };
  if (!isKnownCodePage(h.codePage)) bad("página de códigos desconocida (" + std::to_string(h.codePage) + ")");
  if (!isKnownSortOrder(h.sortOrder)) bad("orden de clasificación desconocido (" + std::to_string(h.sortOrder) + ")");
  // A database with a password opens only with it; a field that holds no
  // password's text is damage (a repair opens it all the same).
  if (h.hasPassword() && !isPasswordShaped(h.password)) bad("contraseña anotada que no es una contraseña");
  if (h.created && !std::isfinite(h.created->days)) bad("fecha de creación que no es una fecha");
}

namespace {

// A table to check, and what its check found.
struct TableJob {
  TableJob(const CatalogEntry& e, std::size_t cap) : entry(&e), record(cap) {}
  const CatalogEntry* entry;
  CheckRecord record;  // the catalog's findings on its entry come first
  bool check = false;
};

// Checks the tables of `jobs` on up to `threads` threads, each reading the
// file through a page cache of its own; each table's findings go to its record.
void checkTables(const Database& db, std::deque<TableJob>& jobs, unsigned threads) {
  std::vector<TableJob*> todo;
  for (TableJob& job : jobs) {
    if (job.check) todo.push_back(&job);
  }
  std::atomic<std::size_t> next{0};
  auto work = [&](const Database& reader) {
    for (std::size_t i = next++; i < todo.size(); i = next++) {
      CheckContext c(reader, todo[i]->record);
      checkTable(c, *todo[i]->entry);
    }
  };
  threads = std::max(1u, std::min<unsigned>(threads, static_cast<unsigned>(todo.size())));
  std::vector<std::unique_ptr<Database>> readers;
  std::vector<std::jthread> workers;
  for (unsigned t = 1; t < threads; ++t) {
    readers.push_back(db.reader());
    try {
      workers.emplace_back(work, std::cref(*readers.back()));
    } catch (const std::system_error&) {
      break;  // the threads already started and this one do the work
    }
  }
  work(db);
}

}  // namespace

Result<CheckReport> checkDatabase(const Database& db, const CheckOptions& options) {
  CheckReport report(options.maxFindings);
  PageOwners owners(db.pages().pageCount(), report.findings);
  CheckRecord record(options.maxFindings);
  CheckContext c(db, record);
  const std::uint32_t pageCount = db.pages().pageCount();
  report.pages = pageCount;

  // 1. What opening the file saw, and the header's settings.
  for (const Finding& f : db.openFindings().findings()) record.findings().report(f);
  c.claim(0, PageUse::kHeader, 0, "");
  checkHeader(c);

  // 2. The free-page map. It covers whole bitmaps, so it goes on past the
  // file's last page (pages there are free): its walk stops at the first page
  // it cannot name.
  std::vector<bool> freePages(pageCount, false);
  c.claimMap(usage_map::kFreePages, 0, "");
  if (auto map = UsageMapCursor::open(db.pages(), usage_map::kFreePages); !map) {
    c.find("", "", 1, 0, "mapa de páginas libres: " + map.error().reasonAt(1, 0));
  } else {
    for (auto next = map->next(); next && *next; next = map->next()) {
      if (**next < pageCount) freePages[**next] = true;
    }
  }
  // 3. The catalog.
  std::map<std::uint32_t, std::string> tables;  // definition page -> name
  std::deque<TableJob> jobs;
  auto catalog = Catalog::read(db, &record.findings());
  if (!catalog) {
    c.find("MSysObjects", "", kCatalogPage, -1, catalog.error().reasonAt(kCatalogPage));
  } else {
    for (const CatalogEntry& e : catalog->entries()) {
      const std::string name = c.text.toUtf8(e.name);
      TableJob& job = jobs.emplace_back(e, options.maxFindings);
      CheckContext entry(db, job.record);
      if (e.parentId != catalog_id::kRootContainer && !catalog->findId(e.parentId)) {
        entry.find("MSysObjects", "", e.location.page, e.location.row,
                   "el objeto " + name + " está en un contenedor que no existe (" +
                       std::to_string(e.parentId) + ")");
      }
      if (!e.isTable()) continue;
      const std::uint32_t tdef = e.tablePage();
      tables.emplace(tdef, name);
      auto page = tdef < pageCount ? db.pages().read(tdef) : Result<PageRef>(Error::corrupt(tdef, ""));
      if (!page || (*page)->type() != tdef::kPageType) {
        entry.find(name, "", e.location.page, e.location.row,
                   "la entrada del catálogo apunta a la página " + std::to_string(tdef) +
                       ", que no es una definición de tabla");
        continue;
      }
      ++report.tables;
      job.check = true;
    }
  }
  // 4. The tables, their rows and their indexes, several at once.
  const unsigned threads = options.threads != 0 ? options.threads : std::thread::hardware_concurrency();
  checkTables(db, jobs, threads);
  record.replay(report, owners);
  for (TableJob& job : jobs) job.record.replay(report, owners);

  // 5. The owner map against the free-page map.
  for (std::uint32_t n : owners.finish(freePages)) judgeUnusedPage(c, n, tables);
  record.replay(report, owners);
  return report;
}

Status requireClean(const std::filesystem::path& file, std::string_view what,
                    std::string_view password) {
  JET_TRY(std::unique_ptr<Database> db, Database::open(file, Database::Access::kRead, password));
  JET_TRY(CheckReport check, checkDatabase(*db));
  if (check.clean()) return okStatus();
  return Error::corrupt(-1, std::string(what) + " no supera la comprobación (" +
                                check.findings.findings().front().toString() + ")");
}

}  // namespace jet
