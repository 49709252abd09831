// Compaction of every corpus file: the result checks clean, holds the same
// rows (ids mapped back) and the same index keys, is no larger (smaller where
// the source had deleted rows or free pages), and is a fixed point.
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
#include "jet/write/value_codec.h"
#include "tests/support/corpus.h"
#include "tests/support/damage.h"

namespace jet {
namespace {

using namespace testing_support;
namespace fs = std::filesystem;

struct Opened {
  std::unique_ptr<Database> db;
  Catalog catalog;
};

Opened openFile(const fs::path& file) {
  auto db = Database::open(file);
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

std::string hex(const std::vector<std::byte>& key) {
  std::string out;
  char buf[4];
  for (std::byte b : key) {
    std::snprintf(buf, sizeof buf, "%02x ", std::to_integer<unsigned>(b));
    out += buf;
  }
  return out;
}

// Deleted slots on the pages of the source's tables and long values, or
// free pages inside the file: what compaction must reclaim.
bool hasSomethingToReclaim(const fs::path& file) {
  const std::string image = readFile(file);
  const std::size_t pages = image.size() / kPageSize;
  auto db = Database::openBytes(image);
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

class CompactCorpus : public ::testing::TestWithParam<std::string> {};

TEST_P(CompactCorpus, SameContentCleanSmallerAndAFixedPoint) {
  REQUIRE_CORPUS();
  const fs::path source = corpusFile(GetParam());
  TempDir dir;
  const fs::path once = dir / "una.mdb", twice = dir / "dos.mdb";
  ASSERT_TRUE(compactDatabase(source, once).ok());

  // Clean by the structural check.
  {
    Opened out = openFile(once);
    auto report = checkDatabase(*out.db);
    ASSERT_TRUE(report);
    for (const Finding& f : report->findings.findings()) ADD_FAILURE() << f.toString();
  }

  // Same tables, rows and index keys; ids are the new definition pages.
  Opened in = openFile(source), out = openFile(once);
  std::map<std::string, std::int32_t> oldIds;
  for (const CatalogEntry* e : in.catalog.tables(true)) oldIds[e->name] = e->id;
  std::map<std::int32_t, std::int32_t> newToOld;
  for (const CatalogEntry* e : out.catalog.tables(true)) {
    ASSERT_TRUE(oldIds.count(e->name)) << e->name;
    newToOld[e->id] = oldIds[e->name];
  }
  ASSERT_EQ(newToOld.size(), oldIds.size());
  const std::set<std::string> idColumns{"Id", "ParentId", "ObjectId"};
  for (const CatalogEntry* e : in.catalog.tables(true)) {
    SCOPED_TRACE(e->name);
    auto a = Table::open(*in.db, e);
    auto b = Table::open(*out.db, out.catalog.findTable(e->name));
    ASSERT_TRUE(a && b);
    const bool system = e->name == "MSysObjects" || e->name == "MSysACEs";
    EXPECT_EQ(rowsOf(*a, {}, {}), rowsOf(*b, newToOld, system ? idColumns : std::set<std::string>{}));
    const TableDefinition& da = a->definition();
    const TableDefinition& db = b->definition();
    EXPECT_EQ(db.rowCount, da.rowCount);
    ASSERT_EQ(da.realIndexes.size(), db.realIndexes.size());
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
      RowCursor rows = b->rows();
      while (*rows.next()) {
        if (auto* v = std::get_if<std::int32_t>(&rows.values()[c])) highest = std::max(highest, *v);
      }
      EXPECT_EQ(db.autoNumber, static_cast<std::uint32_t>(highest));
    }
  }

  // No larger; smaller when there was something to reclaim.
  const auto before = fs::file_size(source), after = fs::file_size(once);
  EXPECT_LE(after, before);
  if (hasSomethingToReclaim(source)) EXPECT_LT(after, before);

  // Compacting again changes nothing.
  ASSERT_TRUE(compactDatabase(once, twice).ok());
  EXPECT_TRUE(readFile(once) == readFile(twice)) << "compacting again changed the file";
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

// Every index of the compaction of every corpus file, subfolders included,
// holds the keys Access stored in the source's, as a multiset: the keys the
// engine makes are Access's, and those it carries (text in a national sort
// order) come over unchanged, but for the table ids of the system tables,
// which are the new ones.
TEST(CompactCorpusKeys, EveryIndexHoldsTheKeysAccessStored) {
  REQUIRE_CORPUS();
  std::uint64_t indexes = 0, keys = 0;
  for (const fs::path& source : allCorpusFiles()) {
    SCOPED_TRACE(source.lexically_relative(corpusDir()).string());
    TempDir dir;
    if (Status s = compactDatabase(source, dir / "una.mdb"); !s) {
      ADD_FAILURE() << s.error().toString();
      continue;
    }
    Opened in = openFile(source), out = openFile(dir / "una.mdb");
    std::map<std::int32_t, std::int32_t> oldToNew;
    for (const CatalogEntry* e : out.catalog.tables(true)) {
      if (const CatalogEntry* old = in.catalog.findTable(e->name)) oldToNew[old->id] = e->id;
    }
    for (const CatalogEntry* e : in.catalog.tables(true)) {
      auto a = Table::open(*in.db, e);
      auto b = Table::open(*out.db, out.catalog.findTable(e->name));
      ASSERT_TRUE(a && b) << e->name;
      const TableDefinition& da = a->definition();
      const TableDefinition& db = b->definition();
      ASSERT_EQ(da.realIndexes.size(), db.realIndexes.size()) << e->name;
      const bool system = e->name == "MSysObjects" || e->name == "MSysACEs";
      for (std::size_t r = 0; r < da.realIndexes.size(); ++r) {
        std::vector<std::vector<std::byte>> ka = keysOf(*in.db, da, da.realIndexes[r]);
        const std::vector<std::vector<std::byte>> kb = keysOf(*out.db, db, db.realIndexes[r]);
        std::string first;
        for (const ColumnDef& c : da.columns) {
          if (c.number == da.realIndexes[r].columns.front().column) first = c.name;
        }
        if (system && (first == "Id" || first == "ParentId" || first == "ObjectId")) {
          for (auto& k : ka) k = withNewId(std::move(k), oldToNew);
          std::sort(ka.begin(), ka.end());
        }
        EXPECT_EQ(ka.size(), kb.size()) << e->name << " index " << r;
        const auto [x, y] = std::mismatch(ka.begin(), ka.end(), kb.begin(), kb.end());
        if (x != ka.end() || y != kb.end()) {
          ADD_FAILURE() << e->name << " index " << r << ": first key that differs, source "
                        << (x == ka.end() ? std::string("(none)") : hex(*x)) << ", compacted "
                        << (y == kb.end() ? std::string("(none)") : hex(*y));
        }
        ++indexes;
        keys += ka.size();
      }
    }
  }
  std::printf("[ figures  ] %llu indexes, %llu keys as Access stored them\n",
              static_cast<unsigned long long>(indexes), static_cast<unsigned long long>(keys));
}

INSTANTIATE_TEST_SUITE_P(Corpus, CompactCorpus,
                         ::testing::Values("compIndexTestV1997.mdb", "delColTestV1997.mdb",
                                           "delTestV1997.mdb", "indexTestV1997.mdb",
                                           "overflowTestV1997.mdb", "queryTestV1997.mdb",
                                           "test2V1997.mdb", "testV1997.mdb"),
                         [](const auto& info) {
                           return info.param.substr(0, info.param.find('V'));
                         });

}  // namespace
}  // namespace jet
