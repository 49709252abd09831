// Table definitions: columns and indexes of corpus tables, definitions over
// several pages, and damaged definitions.
#include <gtest/gtest.h>

#include <algorithm>

#include "jet/format/table_definition.h"
#include "jet/model/catalog.h"
#include "jet/model/table.h"
#include "jet/salvage/definition_salvage.h"
#include "jet/write/compactor.h"
#include "jet/write/extra_tables_source.h"
#include "jet/write/new_database.h"
#include "jet/write/table_definition_writer.h"
#include "tests/support/corpus.h"
#include "tests/support/damage.h"
#include "tests/support/database_layout.h"
#include "tests/support/open_table.h"

namespace jet {
namespace {

using namespace testing_support;

// Over every table of every corpus file, system tables included (that the
// end of the definition lists the usage maps of the long-value columns is
// the check's: every corpus file checks clean), a relationship's index, and
// only it, names the other table and its index; a primary key's real index
// is unique. Bytes are
// kept as stored for writers: the second column number (0 in Access's own
// tables; in user tables real files hold it unrelated to the number) and the
// cascade bytes (0 or 1 in a relationship's indexes, where the corpus has
// some that cascade one way only, 4 in the others).
TEST(TableDefinition, EveryCorpusDefinitionReadsItsIndexesAndStoredBytes) {
  REQUIRE_CORPUS();
  int oneWay = 0;  // relationships that cascade updates or deletes, not both
  for (const auto& path : allCorpusFiles()) {
    SCOPED_TRACE(corpusTestName(path));
    auto db = Database::open(path, Database::Access::kRead, fileSettings(path).password);
    ASSERT_TRUE(db) << db.error().toString();
    auto catalog = Catalog::read(**db);
    ASSERT_TRUE(catalog);
    for (const CatalogEntry* e : catalog->tables(true)) {
      SCOPED_TRACE(e->name);
      auto t = readTableDefinition((*db)->pages(), e->tablePage());
      ASSERT_TRUE(t) << t.error().toString();
      for (const ColumnDef& c : t->columns) EXPECT_TRUE(!e->isSystem() || c.number2 == 0) << c.name;
      for (const LogicalIndexDef& l : t->logicalIndexes) {
        SCOPED_TRACE(l.name);
        ASSERT_LT(l.realIndex, t->realIndexes.size());
        EXPECT_TRUE(!l.primaryKey() || t->realIndexes[l.realIndex].unique());
        EXPECT_EQ(l.relTablePage != 0, l.foreignKey());
        EXPECT_EQ(l.relIndex >= 0, l.foreignKey());
        EXPECT_EQ(l.cascadeUpdates <= 1 && l.cascadeDeletes <= 1, l.foreignKey());
        EXPECT_EQ(l.foreignKey() ? 8 : l.cascadeUpdates + l.cascadeDeletes, 8);
        oneWay += l.cascadeUpdates != l.cascadeDeletes;
      }
    }
  }
  EXPECT_GT(oneWay, 0);
}

// Table1's definition of indexTestV1997 with fields changed, and whether it
// still reads: counts beyond Jet 3's limits, a chain of pages that loops,
// runs past the file or reaches a page of another kind, names running off
// the page, a logical index naming a real index one past the last. The
// variable-column count keeps deleted columns: up to the columns ever made,
// and no further. What does not read, a repair rebuilds where exactly one
// set of counts gives columns apart in the row and printable names.
TEST(TableDefinition, DamagedDefinitionsAreRefused) {
  REQUIRE_CORPUS();
  const std::string image = corpusImage("indexTestV1997.mdb");
  const OpenedTable table1 = openTable(image, "Table1");
  ASSERT_TRUE(table1) << table1.error;
  const std::uint32_t page = table1.table->definition().page;
  const std::uint16_t columns = getU16(image, at(page, tdef::kColumnCount));
  struct Field { std::size_t offset; int size; std::uint32_t value; };
  struct Case {
    const char* what;
    std::vector<Field> fields;
    bool reads;
    bool salvaged = false;  // by the repair, when it does not read
  };
  // The second column's place in the row made the first's (both fixed).
  const std::size_t first = tdef::kIndexStats +
                            getU32(image, at(page, tdef::kRealIndexCount)) * tdef::kIndexStatsSize;
  const Field overlapping{first + column_block::kSize + column_block::kFixedOffset, 2,
                          getU16(image, at(page, first + column_block::kFixedOffset))};
  // The first logical index's block: past the column names and the real indexes.
  const std::uint32_t reals = getU32(image, at(page, tdef::kRealIndexCount));
  std::size_t logical = first + columns * column_block::kSize;
  for (int c = 0; c < columns; ++c) logical += 1 + static_cast<unsigned char>(image[at(page, logical)]);
  logical += reals * real_index_block::kSize;
  const Case cases[] = {
      {"as Access wrote it", {}, true},
      {"256 columns", {{tdef::kColumnCount, 2, 256}, {tdef::kColumnsCreated, 2, 256}}, false, true},
      {"no columns", {{tdef::kColumnCount, 2, 0}}, false, true},
      {"no columns nor logical indexes", {{tdef::kColumnCount, 2, 0}, {tdef::kLogicalIndexCount, 4, 0}}, false, true},
      {"no columns, the first two fixed ones in one place", {{tdef::kColumnCount, 2, 0}, overlapping}, false},
      {"no columns, the first (number 0) of no known type",
       {{tdef::kColumnCount, 2, 0}, {first + column_block::kType, 2, 0x0011}}, false},
      {"33 real indexes, 255 columns made", {{tdef::kRealIndexCount, 4, 33}, {tdef::kColumnsCreated, 2, 255}}, false, true},
      {"a million logical indexes (several counts fit)", {{tdef::kLogicalIndexCount, 4, 1000000}}, false},
      {"variable columns as many as ever made",
       {{tdef::kColumnsCreated, 2, columns + 3u}, {tdef::kVarColumns, 2, columns + 3u}}, true},
      {"variable columns beyond those ever made",
       {{tdef::kColumnsCreated, 2, columns + 3u}, {tdef::kVarColumns, 2, columns + 4u}}, false, true},
      {"a logical index naming the real index past the last",
       {{logical + logical_index_block::kRealIndex, 4, reals}}, false},
      {"next page itself", {{tdef::kNextPage, 4, page}}, false, true},
      {"next page past the file", {{tdef::kNextPage, 4, 0x7FFFFFFF}}, false, true},
      {"next page the first past the file",
       {{tdef::kNextPage, 4, static_cast<std::uint32_t>(image.size() / kPageSize)}}, false, true},
      {"next page a data page", {{tdef::kNextPage, 4, 1}}, false, true},
      {"names running off the page", {{tdef::kColumnCount, 2, 120}, {tdef::kColumnsCreated, 2, 255}}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string damaged = image;
    for (const Field& f : c.fields) {
      if (f.size == 2) setU16(damaged, at(page, f.offset), static_cast<std::uint16_t>(f.value));
      else setU32(damaged, at(page, f.offset), f.value);
    }
    auto db = Database::openBytes(damaged);
    ASSERT_TRUE(db);
    auto t = readTableDefinition((*db)->pages(), page);
    EXPECT_EQ(t ? 0 : t.error().number(), c.reads ? 0 : errc::kCorrupt);
    if (t) continue;
    auto salvaged = salvageTableDefinition((*db)->pages(), page, false);
    EXPECT_EQ(salvaged.ok(), c.salvaged) << (salvaged ? salvaged->repaired : salvaged.error().toString());
    if (!salvaged) continue;
    EXPECT_EQ(salvaged->definition.columns.size(), table1.table->definition().columns.size());
    // A count of the columns ever made that can be one (up to 255) stays.
    const std::uint16_t made = getU16(damaged, at(page, tdef::kColumnsCreated));
    if (made <= tdef::kColumnLimit) { EXPECT_EQ(salvaged->definition.columnsCreated, made); }
    // So does a count of variable columns that can be one: no fewer than
    // there are, no more than were ever made; one that cannot becomes the
    // count of those there are.
    const std::uint16_t variable = getU16(damaged, at(page, tdef::kVarColumns));
    const auto least = std::ranges::count_if(salvaged->definition.columns,
                                             [](const ColumnDef& k) { return !k.isFixed(); });
    EXPECT_EQ(salvaged->definition.varColumns,
              variable >= least && variable <= salvaged->definition.columnsCreated ? variable : least);
  }
  // Up to 32 real and 32 logical indexes: the first of each repeated, the
  // definition reads back with 32 of each, not with 33.
  for (const auto& [realCount, logicalCount] : {std::pair{32u, 32u}, {33u, 32u}, {32u, 33u}}) {
    TableDefinition t = table1.table->definition();
    t.realIndexes.resize(realCount, t.realIndexes.front());
    t.logicalIndexes.resize(logicalCount, t.logicalIndexes.front());
    const auto back = decodeTableDefinition(ByteView(encodeTableDefinition(t)), t.page);
    EXPECT_EQ(back ? back->realIndexes.size() + back->logicalIndexes.size() : 0,
              realCount + logicalCount <= 64 ? 64u : 0u) << realCount << " " << logicalCount;
  }
  // A definition at Jet 3's limits, 32 real and 32 logical indexes (over two
  // pages), with its column count damaged: the salvage takes the index counts
  // it stores and tries the column counts alone.
  {
    TableDefinition t = table1.table->definition();
    t.realIndexes.resize(32, t.realIndexes.front());
    t.logicalIndexes.resize(32, t.logicalIndexes.back());
    TempDir dir;
    auto base = newDatabaseSource(DateTime{40000.5});
    ExtraTablesSource source(*base);
    ASSERT_TRUE(source.addTable(SourceTable{"Límites", source.unusedId(), t}, {}, DateTime{40000.5}));
    ASSERT_TRUE(compact(source, dir / "l.mdb"));
    std::string limits = readFile(dir / "l.mdb");
    const std::uint32_t defPage = describeDatabase(limits).table("Límites")->tdef;
    setU16(limits, at(defPage, tdef::kColumnCount), 0xFFFF);
    auto back = salvageTableDefinition(Database::openBytes(limits).value()->pages(), defPage, false);
    EXPECT_EQ(back ? back->definition.realIndexes.size() + back->definition.logicalIndexes.size() : 0, 64u);
  }
  // A column's name of 64 characters, Jet 3's longest, is one to the
  // salvage; one of 65 is not.
  for (const auto& [length, salvaged] : {std::pair{64u, true}, {65u, false}}) {
    TableDefinition t = table1.table->definition();
    t.columns.back().name.assign(length, 'n');
    const std::vector<std::byte> bytes = encodeTableDefinition(t);
    ASSERT_LE(bytes.size(), kPageSize);
    std::string damaged = image;
    damaged.replace(at(page, 0), bytes.size(), reinterpret_cast<const char*>(bytes.data()), bytes.size());
    setU16(damaged, at(page, tdef::kColumnCount), 0xFFFF);
    auto back = salvageTableDefinition(Database::openBytes(damaged).value()->pages(), page, false);
    EXPECT_EQ(back && back->definition.columns.back().name.size() == length, salvaged) << length;
  }
}

}  // namespace
}  // namespace jet
