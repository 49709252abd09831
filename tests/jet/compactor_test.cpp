// Compaction of every corpus file: the result checks clean, holds the same
// rows (ids mapped back) and the same index keys, reads for mdbtools as the
// source does, is no larger (smaller where the source had deleted rows or
// free pages), and is a fixed point.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "jet/check/checker.h"
#include "jet/engine.h"
#include "jet/format/data_page.h"
#include "jet/format/usage_map.h"
#include "jet/model/catalog.h"
#include "jet/model/index_walker.h"
#include "jet/model/table.h"
#include "jet/model/text.h"
#include "jet/write/value_codec.h"
#include "tests/support/check_image.h"
#include "tests/support/corpus.h"
#include "tests/support/damage.h"
#include "tests/support/mdbtools_compare.h"

namespace jet {
namespace {

using namespace testing_support;
namespace fs = std::filesystem;

struct Opened {
  std::unique_ptr<Database> db;
  Catalog catalog;
};

Opened openFile(const fs::path& file, const std::string& password) {
  auto db = Database::open(file, Database::Access::kRead, password);
  EXPECT_TRUE(db) << file << ": " << db.error().toString();
  auto catalog = Catalog::read(**db);
  EXPECT_TRUE(catalog);
  return Opened{std::move(*db), std::move(*catalog)};
}

// Each row as bytes, with the ids of `columns` passed through `ids`, sorted:
// the table's rows as a multiset.
std::vector<std::string> rowsOf(const Table& table, const std::map<std::int32_t, std::int32_t>& ids,
                                const std::set<std::string>& idColumns) {
  std::vector<std::string> out;
  RowCursor rows = table.rows();
  for (;;) {
    auto more = rows.next();
    EXPECT_TRUE(more) << more.error().toString();
    if (!more || !*more) break;
    std::vector<Value> values = rows.values();
    for (std::size_t i = 0; i < values.size(); ++i) {
      if (!idColumns.count(table.definition().columns[i].name)) continue;
      if (auto* v = std::get_if<std::int32_t>(&values[i])) {
        if (auto it = ids.find(*v); it != ids.end()) *v = it->second;
      }
    }
    std::vector<std::byte> bytes;
    encodeValues(values, bytes);
    out.emplace_back(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  }
  std::sort(out.begin(), out.end());
  return out;
}

// The keys of every entry of a real index, sorted (the rows they point at
// differ between files).
std::vector<std::vector<std::byte>> keysOf(const Database& db, const TableDefinition& t,
                                           const RealIndexDef& real) {
  std::vector<std::vector<std::byte>> keys;
  FindingList findings;
  IndexWalkTarget target{pageFetch(db.pages()), db.pages().pageCount(), real.firstPage, t.page,
                         "", ""};
  auto walk = walkIndex(target, findings,
                        [&](const IndexEntry& e, std::uint32_t) { keys.push_back(e.key); });
  EXPECT_TRUE(walk);
  EXPECT_TRUE(findings.empty());
  std::sort(keys.begin(), keys.end());
  return keys;
}

// Deleted slots on the pages of the source's tables and long values, or
// free pages inside the file: what compaction must reclaim.
bool hasSomethingToReclaim(const fs::path& file, const std::string& password) {
  const std::string image = readFile(file);
  const std::size_t pages = image.size() / kPageSize;
  auto db = Database::openBytes(image, file.string(), password);
  auto map = UsageMapCursor::open((*db)->pages(), 1u << 8);
  for (auto p = map->next(); p && *p; p = map->next()) {
    if (**p < pages) return true;
  }
  for (std::size_t p = 0; p < pages; ++p) {
    if (getByte(image, at(p, 0)) != data_page::kPageType) continue;
    const std::uint16_t rows = getU16(image, at(p, data_page::kRowCount));
    for (std::uint16_t r = 0; r < rows && r < data_page::kMaxRows; ++r) {
      const std::uint16_t slot = getU16(image, at(p, data_page::kRowOffsets + 2u * r));
      if ((slot & data_page::kDeleted) == data_page::kDeleted) return true;
    }
  }
  return false;
}

// A key of MSysObjects or MSysACEs whose first column is a table id (Id,
// ParentId, ObjectId) with that id passed through `ids`: an ascending Long
// segment, 0x7F then the value big-endian with its sign bit flipped.
std::vector<std::byte> withNewId(std::vector<std::byte> key,
                                 const std::map<std::int32_t, std::int32_t>& ids) {
  if (key.size() < 5 || key[0] != std::byte{0x7F}) return key;
  std::uint32_t u = 0;
  for (int i = 1; i <= 4; ++i) u = u << 8 | std::to_integer<std::uint32_t>(key[i]);
  const auto it = ids.find(static_cast<std::int32_t>(u ^ 0x80000000u));
  if (it == ids.end()) return key;
  u = static_cast<std::uint32_t>(it->second) ^ 0x80000000u;
  for (int i = 4; i >= 1; --i, u >>= 8) key[i] = std::byte(u & 0xFF);
  return key;
}

class CompactCorpus : public ::testing::TestWithParam<fs::path> {};

TEST_P(CompactCorpus, SameContentCleanSmallerAndAFixedPoint) {
  const fs::path source = GetParam();
  const std::string password = fileSettings(source).password;
  TempDir dir;
  const fs::path once = dir / "una.mdb", twice = dir / "dos.mdb";
  ASSERT_TRUE(compactDatabase(source, once, password).ok());

  // Clean by the structural check.
  {
    Opened out = openFile(once, password);
    auto report = checkDatabase(*out.db);
    ASSERT_TRUE(report);
    for (const Finding& f : report->findings.findings()) ADD_FAILURE() << f.toString();
  }

  // Same tables, rows and index keys; ids are the new definition pages.
  Opened in = openFile(source, password), out = openFile(once, password);
  std::map<std::string, std::int32_t> oldIds;
  for (const CatalogEntry* e : in.catalog.tables(true)) oldIds[e->name] = e->id;
  std::map<std::int32_t, std::int32_t> newToOld, oldToNew;
  for (const CatalogEntry* e : out.catalog.tables(true)) {
    ASSERT_TRUE(oldIds.count(e->name)) << e->name;
    newToOld[e->id] = oldIds[e->name];
    oldToNew[oldIds[e->name]] = e->id;
  }
  ASSERT_EQ(newToOld.size(), oldIds.size());
  const std::set<std::string> idColumns{"Id", "ParentId", "ObjectId"};
  for (const CatalogEntry* e : in.catalog.tables(true)) {
    SCOPED_TRACE(e->name);
    auto a = Table::open(*in.db, e);
    auto b = Table::open(*out.db, out.catalog.findTable(e->name));
    ASSERT_TRUE(a && b);
    const bool system = e->name == "MSysObjects" || e->name == "MSysACEs";
    const auto rows = rowsOf(*a, {}, {});
    EXPECT_EQ(rows, rowsOf(*b, newToOld, system ? idColumns : std::set<std::string>{}));
    const TableDefinition& da = a->definition();
    const TableDefinition& db = b->definition();
    // Exact again, whatever the source's statistic said.
    EXPECT_EQ(db.rowCount, rows.size());
    ASSERT_EQ(da.realIndexes.size(), db.realIndexes.size());
    // Index keys: those Access stored in the source, as a multiset (the rows
    // they point at move), the table ids of the system tables' keys made new.
    for (std::size_t r = 0; r < da.realIndexes.size(); ++r) {
      std::vector<std::vector<std::byte>> ka = keysOf(*in.db, da, da.realIndexes[r]);
      const std::vector<std::vector<std::byte>> kb = keysOf(*out.db, db, db.realIndexes[r]);
      std::string first;
      for (const ColumnDef& c : da.columns) {
        if (c.number == da.realIndexes[r].columns.front().column) first = c.name;
      }
      if (system && idColumns.count(first)) {
        for (auto& k : ka) k = withNewId(std::move(k), oldToNew);
        std::sort(ka.begin(), ka.end());
      }
      EXPECT_TRUE(ka == kb) << "index " << r << ": " << ka.size() << " keys in the source, "
                            << kb.size() << " compacted, not all alike";
    }
    // A relationship names the other table by its new definition page.
    for (std::size_t l = 0; l < da.logicalIndexes.size(); ++l) {
      if (da.logicalIndexes[l].relTablePage == 0) continue;
      EXPECT_EQ(newToOld[static_cast<std::int32_t>(db.logicalIndexes[l].relTablePage)],
                static_cast<std::int32_t>(da.logicalIndexes[l].relTablePage));
    }
    // An AutoNumber's seed is the highest value left.
    for (std::size_t c = 0; c < db.columns.size(); ++c) {
      if (!db.columns[c].isAutoNumber() || db.columns[c].type != ColumnType::kLong) continue;
      std::int32_t highest = 0;
      RowCursor cursor = b->rows();
      while (*cursor.next()) {
        if (auto* v = std::get_if<std::int32_t>(&cursor.values()[c])) highest = std::max(highest, *v);
      }
      EXPECT_EQ(db.autoNumber, static_cast<std::uint32_t>(highest));
    }
  }

  // No larger; smaller when there was something to reclaim.
  const auto before = fs::file_size(source), after = fs::file_size(once);
  EXPECT_LE(after, before);
  if (hasSomethingToReclaim(source, password)) {
    EXPECT_LT(after, before);
  }

  // mdbtools reads what it read in the source.
  if (haveMdbExport()) expectMdbExportReadsCompactedAsSource(source, once);

  // Compacting again changes nothing.
  ASSERT_TRUE(compactDatabase(once, twice, password).ok());
  EXPECT_TRUE(readFile(once) == readFile(twice)) << "compacting again changed the file";
}

// One test per corpus file, subfolders included, named after the file.
INSTANTIATE_TEST_SUITE_P(Corpus, CompactCorpus, ::testing::ValuesIn(allCorpusFiles()),
                         [](const auto& info) { return corpusTestName(info.param); });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(CompactCorpus);

}  // namespace
}  // namespace jet
