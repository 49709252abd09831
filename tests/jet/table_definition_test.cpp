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

TEST(TableDefinition, SpreadOverTwoPages) {
  REQUIRE_CORPUS();
  for (const char* file : {"testV1997.mdb", "test2V1997.mdb"}) {
    auto db = Database::open(corpusFile(file));
    ASSERT_TRUE(db);
    auto catalog = Catalog::read(**db);
    ASSERT_TRUE(catalog);
    int multi = 0;
    for (const CatalogEntry* e : catalog->tables(true)) {
      auto t = Table::open(**db, e);
      ASSERT_TRUE(t) << t.error().toString();
      if (t->definition().pages.size() < 2) continue;
      ++multi;
      // Every column name came out whole: printable and non-empty.
      for (const ColumnDef& c : t->definition().columns) {
        EXPECT_FALSE(c.name.empty());
        for (char ch : c.name) EXPECT_GE(static_cast<unsigned char>(ch), 0x20);
      }
    }
    EXPECT_EQ(multi, 1) << file;
  }
}

class DamagedDefinition : public ::testing::Test {
 protected:
  void SetUp() override {
    if (corpusFiles().empty()) GTEST_SKIP() << "no corpus";
    image_ = corpusImage("indexTestV1997.mdb");
    auto db = Database::openBytes(image_);
    ASSERT_TRUE(db);
    auto catalog = Catalog::read(**db);
    ASSERT_TRUE(catalog);
    page_ = catalog->findTable("Table1")->tablePage();
  }
  int errorAfter(const std::string& image) {
    auto db = Database::openBytes(image);
    if (!db) return -db.error().number();
    auto t = readTableDefinition((*db)->pages(), page_);
    return t ? 0 : t.error().number();
  }
  std::string image_;
  std::uint32_t page_ = 0;
};

TEST_F(DamagedDefinition, CountsBeyondJet3Limits) {
  EXPECT_EQ(errorAfter(image_), 0);
  std::string columns = image_;
  setU16(columns, at(page_, tdef::kColumnCount), 256);
  setU16(columns, at(page_, tdef::kColumnsCreated), 256);
  EXPECT_EQ(errorAfter(columns), errc::kCorrupt);
  std::string real = image_;
  setU32(real, at(page_, tdef::kRealIndexCount), 33);
  EXPECT_EQ(errorAfter(real), errc::kCorrupt);
  std::string logical = image_;
  setU32(logical, at(page_, tdef::kLogicalIndexCount), 1000000);
  EXPECT_EQ(errorAfter(logical), errc::kCorrupt);
  // The variable-column count keeps deleted columns: up to the columns ever
  // made, and no further.
  const std::uint16_t columnCount = getU16(image_, at(page_, tdef::kColumnCount));
  std::string deleted = image_;
  setU16(deleted, at(page_, tdef::kColumnsCreated), static_cast<std::uint16_t>(columnCount + 3));
  setU16(deleted, at(page_, tdef::kVarColumns), static_cast<std::uint16_t>(columnCount + 3));
  EXPECT_EQ(errorAfter(deleted), 0);
  setU16(deleted, at(page_, tdef::kVarColumns), static_cast<std::uint16_t>(columnCount + 4));
  EXPECT_EQ(errorAfter(deleted), errc::kCorrupt);
  // A logical index naming a real index that does not exist.
  std::string dangling = image_;
  setU32(dangling, at(page_, tdef::kRealIndexCount), 1);
  EXPECT_EQ(errorAfter(dangling), errc::kCorrupt);
}

TEST_F(DamagedDefinition, NextPageChain) {
  std::string loop = image_;
  setU32(loop, at(page_, tdef::kNextPage), page_);  // points at itself
  EXPECT_EQ(errorAfter(loop), errc::kCorrupt);
  std::string past = image_;
  setU32(past, at(page_, tdef::kNextPage), 0x7FFFFFFF);
  EXPECT_EQ(errorAfter(past), errc::kCorrupt);
  std::string notTdef = image_;
  setU32(notTdef, at(page_, tdef::kNextPage), 1);  // page 1 is a data page
  EXPECT_EQ(errorAfter(notTdef), errc::kCorrupt);
}

TEST_F(DamagedDefinition, NamesRunningPastTheEnd) {
  // Many columns, so the blocks and names run off the single page.
  std::string many = image_;
  setU16(many, at(page_, tdef::kColumnCount), 120);
  setU16(many, at(page_, tdef::kColumnsCreated), 255);
  EXPECT_EQ(errorAfter(many), errc::kCorrupt);
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
