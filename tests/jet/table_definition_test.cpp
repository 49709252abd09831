// Table definitions: columns and indexes of corpus tables, definitions over
// several pages, and damaged definitions.
#include <gtest/gtest.h>

#include <set>

#include "jet/format/table_definition.h"
#include "jet/model/catalog.h"
#include "jet/model/table.h"
#include "tests/support/corpus.h"
#include "tests/support/damage.h"

namespace jet {
namespace {

using namespace testing_support;

Result<TableDefinition> definitionOf(const std::string& image, const std::string& file,
                                     const std::string& tableName) {
  auto db = Database::openBytes(image, file);
  if (!db) return db.error();
  auto catalog = Catalog::read(**db);
  if (!catalog) return catalog.error();
  const CatalogEntry* e = catalog->findTable(tableName);
  if (!e) return Error(errc::kNoSuchTable, tableName);
  return readTableDefinition((*db)->pages(), e->tablePage());
}

TEST(TableDefinition, IndexesOfARelatedTable) {
  REQUIRE_CORPUS();
  auto t = definitionOf(corpusImage("indexTestV1997.mdb"), "indexTest", "Table1");
  ASSERT_TRUE(t) << t.error().toString();
  ASSERT_EQ(t->columns.size(), 5u);
  EXPECT_EQ(t->columns[3].name, "data");
  EXPECT_EQ(t->columns[3].type, ColumnType::kText);
  EXPECT_EQ(t->columns[3].length, 50);
  EXPECT_FALSE(t->columns[3].isFixed());
  EXPECT_EQ(t->columns[4].fixedOffset, 12);
  ASSERT_EQ(t->realIndexes.size(), 4u);
  ASSERT_EQ(t->logicalIndexes.size(), 4u);
  const LogicalIndexDef* pk = nullptr;
  int foreign = 0;
  for (const auto& l : t->logicalIndexes) {
    if (l.primaryKey()) pk = &l;
    if (l.foreignKey()) {
      ++foreign;
      EXPECT_NE(l.relTablePage, 0u);
      EXPECT_GE(l.relIndex, 0);
    } else {
      EXPECT_EQ(l.relIndex, -1);
    }
  }
  ASSERT_NE(pk, nullptr);
  EXPECT_EQ(pk->name, "PrimaryKey");
  EXPECT_EQ(foreign, 2);
  const RealIndexDef& real = t->realIndexes[pk->realIndex];
  EXPECT_TRUE(real.unique());
  ASSERT_EQ(real.columns.size(), 1u);
  EXPECT_EQ(real.columns[0].column, 0);  // "id"
  EXPECT_TRUE(real.columns[0].ascending);
  EXPECT_NE(real.firstPage, 0u);
  EXPECT_NE(real.usageMap, 0u);
}

// Table1's definition of indexTestV1997 with fields changed, and whether it
// still reads: counts beyond Jet 3's limits, a chain of pages that loops,
// runs past the file or reaches a page of another kind, names running off
// the page, a logical index naming a real index that does not exist. The
// variable-column count keeps deleted columns: up to the columns ever made,
// and no further.
TEST(TableDefinition, DamagedDefinitionsAreRefused) {
  REQUIRE_CORPUS();
  const std::string image = corpusImage("indexTestV1997.mdb");
  std::uint32_t page = 0;
  {
    auto db = Database::openBytes(image);
    ASSERT_TRUE(db);
    auto catalog = Catalog::read(**db);
    ASSERT_TRUE(catalog);
    page = catalog->findTable("Table1")->tablePage();
  }
  const std::uint16_t columns = getU16(image, at(page, tdef::kColumnCount));
  struct Field {
    std::size_t offset;
    int size;
    std::uint32_t value;
  };
  struct Case {
    const char* what;
    std::vector<Field> fields;
    bool reads;
  };
  const Case cases[] = {
      {"as Access wrote it", {}, true},
      {"256 columns", {{tdef::kColumnCount, 2, 256}, {tdef::kColumnsCreated, 2, 256}}, false},
      {"33 real indexes", {{tdef::kRealIndexCount, 4, 33}}, false},
      {"a million logical indexes", {{tdef::kLogicalIndexCount, 4, 1000000}}, false},
      {"variable columns as many as ever made",
       {{tdef::kColumnsCreated, 2, columns + 3u}, {tdef::kVarColumns, 2, columns + 3u}}, true},
      {"variable columns beyond those ever made",
       {{tdef::kColumnsCreated, 2, columns + 3u}, {tdef::kVarColumns, 2, columns + 4u}}, false},
      {"a logical index without its real index", {{tdef::kRealIndexCount, 4, 1}}, false},
      {"next page itself", {{tdef::kNextPage, 4, page}}, false},
      {"next page past the file", {{tdef::kNextPage, 4, 0x7FFFFFFF}}, false},
      {"next page a data page", {{tdef::kNextPage, 4, 1}}, false},
      {"names running off the page",
       {{tdef::kColumnCount, 2, 120}, {tdef::kColumnsCreated, 2, 255}}, false},
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
  }
}

}  // namespace
}  // namespace jet

namespace jet {
namespace {

// The end of a definition lists the usage maps of each Memo and OLE column
// (in no set order); Access's own tables may keep no free-space map there.
TEST(TableDefinition, LongValueColumnMaps) {
  REQUIRE_CORPUS();
  const std::string image = corpusImage("testV1997.mdb");
  auto objects = definitionOf(image, "test", "MSysObjects");
  ASSERT_TRUE(objects) << objects.error().toString();
  std::set<std::uint16_t> listed, longValues;
  for (const LongValueMaps& m : objects->longValueMaps) {
    listed.insert(m.column);
    EXPECT_NE(m.usageMap, 0u);
    EXPECT_NE(m.freeMap, 0u);
  }
  for (const ColumnDef& c : objects->columns) {
    if (c.type == ColumnType::kMemo || c.type == ColumnType::kOle) longValues.insert(c.number);
  }
  EXPECT_EQ(listed, longValues);
  EXPECT_EQ(listed.size(), 7u);

  auto modules = definitionOf(image, "test", "MSysModules2");
  ASSERT_TRUE(modules);
  ASSERT_EQ(modules->longValueMaps.size(), 3u);
  for (const LongValueMaps& m : modules->longValueMaps) EXPECT_EQ(m.freeMap, 0u);

  auto plain = definitionOf(image, "test", "Table1");
  ASSERT_TRUE(plain);
  EXPECT_TRUE(plain->longValueMaps.empty());
}

// Bytes kept as stored for writers: the second column number (the number in
// user tables, 0 in Access's own) and the cascade bytes of logical indexes.
TEST(TableDefinition, RawFieldsWritersCarryOver) {
  REQUIRE_CORPUS();
  const std::string image = corpusImage("indexTestV1997.mdb");
  auto t = definitionOf(image, "indexTest", "Table1");
  ASSERT_TRUE(t);
  for (const ColumnDef& c : t->columns) {
    EXPECT_EQ(c.number2, c.number);
    EXPECT_EQ(c.misc, 1);
  }
  for (const LogicalIndexDef& l : t->logicalIndexes) {
    if (l.foreignKey()) {
      EXPECT_LE(l.cascadeUpdates, 1);
    } else {
      EXPECT_EQ(l.cascadeUpdates, 4);
      EXPECT_EQ(l.cascadeDeletes, 4);
    }
  }
  auto objects = definitionOf(image, "indexTest", "MSysObjects");
  ASSERT_TRUE(objects);
  for (const ColumnDef& c : objects->columns) EXPECT_EQ(c.number2, 0);
}

}  // namespace
}  // namespace jet
