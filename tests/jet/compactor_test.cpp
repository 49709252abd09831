// Compaction of every corpus file: the result checks clean, holds the same
// rows (ids mapped back) and the same indexes, leaves no space to reclaim,
// is no larger, and is a fixed point. (What the
// compactor writes is held to mdbtools through generated and repaired files.)
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "jet/check/checker.h"
#include "jet/engine.h"
#include "jet/model/catalog.h"
#include "jet/model/table.h"
#include "jet/write/table_definition_writer.h"
#include "jet/write/value_codec.h"
#include "tests/support/corpus.h"
#include "tests/support/damage.h"

namespace jet {
namespace {

using namespace testing_support;
namespace fs = std::filesystem;

struct Opened { std::unique_ptr<Database> db; Catalog catalog; };

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

// A real index as its definition gives it: flags, then each column by name
// with its direction.
std::string indexColumns(const TableDefinition& t, const RealIndexDef& real) {
  std::string out = std::to_string(real.flags);
  for (const IndexColumn& c : real.columns) {
    const ColumnDef* column = t.columnByNumber(c.column);
    out += " " + (column ? column->name : "?") + (c.ascending ? "+" : "-");
  }
  return out;
}

class CompactCorpus : public ::testing::TestWithParam<fs::path> {};

TEST_P(CompactCorpus, SameContentCleanNothingToReclaimAndAFixedPoint) {
  const fs::path source = GetParam();
  const std::string password = fileSettings(source).password;
  TempDir dir;
  const fs::path once = dir / "una.mdb", twice = dir / "dos.mdb";
  ASSERT_TRUE(compactDatabase(source, once, password).ok());

  // Clean by the structural check, with no space left to reclaim and no
  // statistic stale (only keys the check does not judge are noted).
  {
    Opened out = openFile(once, password);
    auto report = checkDatabase(*out.db);
    ASSERT_TRUE(report);
    for (const Finding& f : report->findings.findings()) ADD_FAILURE() << f.toString();
    for (const Finding& f : report->notes.findings()) {
      if (f.kind != FindingKind::kUncheckedKeys) ADD_FAILURE() << f.toString();
    }
  }

  // Same tables, rows and index keys; ids are the new definition pages.
  Opened in = openFile(source, password), out = openFile(once, password);
  const std::string compacted = readFile(once);
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
    const auto rows = rowsOf(*a, {}, {});
    EXPECT_EQ(rows, rowsOf(*b, newToOld, system ? idColumns : std::set<std::string>{}));
    const TableDefinition& da = a->definition();
    const TableDefinition& db = b->definition();
    ASSERT_EQ(da.realIndexes.size(), db.realIndexes.size());
    // The definition over the fewest pages that hold it: one page fewer would not.
    const long length = getU32(compacted, at(db.pages[0], tdef::kLength)) + long{tdef::kPageHeaderSize};
    EXPECT_GT(length, long{kPageSize} + (long(db.pages.size()) - 2) * long{kPageSize - tdef::kPageHeaderSize});
    // The same indexes: with the check holding every key to its row, in the
    // source (repair_test.cpp: every corpus file checks clean) and here, and
    // the same rows, the keys are those Access stored.
    for (std::size_t r = 0; r < da.realIndexes.size(); ++r) {
      EXPECT_EQ(indexColumns(da, da.realIndexes[r]), indexColumns(db, db.realIndexes[r]));
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

  // Each page of data, definitions, indexes and maps begins as Access
  // begins it: its type, then 0x01.
  for (std::size_t p = 1; p < compacted.size() / kPageSize; ++p) {
    EXPECT_TRUE(compacted[at(p, 0)] > 5 || compacted[at(p, 1)] == 1) << "page " << p;
  }

  // No larger (generate_command_test.cpp: smaller where rows were deleted).
  EXPECT_LE(fs::file_size(once), fs::file_size(source));

  // Compacting again changes nothing.
  ASSERT_TRUE(compactDatabase(once, twice, password).ok());
  EXPECT_TRUE(readFile(once) == readFile(twice)) << "compacting again changed the file";
}

// One test per corpus file, subfolders included, named after the file.
INSTANTIATE_TEST_SUITE_P(Corpus, CompactCorpus, ::testing::ValuesIn(allCorpusFiles()),
                         [](const auto& file) { return corpusTestName(file.param); });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(CompactCorpus);

// A definition one byte longer than its pages hold takes one page more.
TEST(CompactedDefinition, TakesThePagesItsBytesNeed) {
  const std::size_t more = kPageSize - tdef::kPageHeaderSize;  // past the first page
  const std::pair<std::size_t, std::size_t> cases[] = {
      {kPageSize, 1}, {kPageSize + 1, 2}, {kPageSize + more, 2}, {kPageSize + more + 1, 3}};
  for (const auto& [bytes, pages] : cases) EXPECT_EQ(tableDefinitionPageCount(bytes), pages) << bytes;
}

}  // namespace
}  // namespace jet
