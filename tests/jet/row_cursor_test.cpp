// Reading rows in physical order from the corpus, and from damaged copies.
#include <gtest/gtest.h>


#include "jet/format/data_page.h"
#include "jet/format/usage_map.h"
#include "jet/model/catalog.h"
#include "jet/model/table.h"
#include "tests/support/corpus.h"
#include "tests/support/damage.h"
#include "tests/support/database_layout.h"
#include "tests/support/open_table.h"

namespace jet {
namespace {

using namespace testing_support;

struct Read { std::vector<RowLocation> locations; std::vector<std::vector<Value>> values; };

Read readAll(const Table& table, DamageSink* damage = nullptr) {
  Read r;
  RowCursor rows = table.rows(damage);
  while (true) {
    auto more = rows.next();
    EXPECT_TRUE(more) << more.error().toString();
    if (!more || !*more) break;
    r.locations.push_back(rows.location());
    r.values.push_back(rows.values());
  }
  return r;
}

// testV1997's Table1 read whole, and copies of the file damaged one way at
// a time, read again with the same definition.
class RowCursorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    REQUIRE_CORPUS();
    image = corpusImage("testV1997.mdb");
    opened = openTable(image, "Table1");
    ASSERT_TRUE(opened) << opened.error;
    clean = readAll(*opened.table);
    ASSERT_GE(clean.locations.size(), 2u);
  }

  // Table1 of `copy` read with `damage` as its sink (none: reads stop at
  // damage).
  Read readCopy(const std::string& copy, FindingList* damage) {
    OpenedTable o = openTableAt(copy, opened.table->definition().page, "Table1");
    EXPECT_TRUE(o) << o.error;
    return o ? readAll(*o.table, damage) : Read{};
  }

  std::string image;
  OpenedTable opened;
  Read clean;
};

// A row offset below the slot table or past the page: the row is reported
// with its page, and the row after it, which ends where it starts, is lost
// too; the other rows are still read. Without a sink the read stops, 3343.
TEST_F(RowCursorTest, RowOutsideItsPageIsReportedAndSkipped) {
  const RowLocation victim = clean.locations[0];
  for (std::uint16_t bad : {std::uint16_t{0x0004}, std::uint16_t{0x1FFF}}) {
    std::string damaged = image;
    setU16(damaged, at(victim.page, data_page::kRowOffsets + 2 * victim.row), bad);
    FindingList damage;
    Read r = readCopy(damaged, &damage);
    ASSERT_EQ(damage.findings().size(), 2u);
    EXPECT_EQ(damage.findings()[0].page, victim.page);
    EXPECT_EQ(damage.findings()[0].row, victim.row);
    EXPECT_EQ(damage.findings()[0].table, "Table1");
    EXPECT_EQ(damage.findings()[1].row, victim.row + 1);
    EXPECT_EQ(r.locations.size(), clean.locations.size() - 2);
    OpenedTable o = openTableAt(damaged, opened.table->definition().page, "Table1");
    RowCursor strict = o.table->rows();
    Result<bool> more = true;
    while (more && *more) more = strict.next();
    ASSERT_FALSE(more);
    EXPECT_EQ(more.error().number(), errc::kCorrupt);
  }
}

// A page's row count that its free space and offsets disagree with (too
// many slots, or none) is damage, and the rows read are those they agree on.
TEST_F(RowCursorTest, RowCountThatTheFreeSpaceDisagreesWithIsDamage) {
  for (std::uint16_t count : {std::uint16_t{0}, std::uint16_t{1}, std::uint16_t{255}}) {
    SCOPED_TRACE(count);
    std::string bad = image;
    setU16(bad, at(clean.locations.front().page, data_page::kRowCount), count);
    FindingList damage;
    EXPECT_EQ(readCopy(bad, &damage).values, clean.values);
    EXPECT_EQ(damage.findings().size(), 1u);
  }
}

// The table's map is inline (type 0): moved to start past the end of the
// file, it names no page of the file; made to name a data page of the catalog,
// a page of another table. Each is reported, and no row is read.
TEST_F(RowCursorTest, UsageMapNamingPagesOfAnotherTableOrPastTheFile) {
  const RowLocation mapRow = RowLocation::fromPointer(opened.table->definition().usageMap);
  const std::size_t map = rowRange(image, mapRow.page, mapRow.row).start;
  ASSERT_EQ(getByte(image, map), 0);  // type 0
  std::string past = image;
  setU32(past, map + 1, 0x00FFFF00);
  FindingList damage;
  EXPECT_TRUE(readCopy(past, &damage).locations.empty());
  ASSERT_FALSE(damage.empty());
  EXPECT_NE(damage.findings()[0].message.find("fuera del archivo"), std::string::npos);

  // The map made to name one page, a data page of MSysObjects.
  OpenedTable catalog = openTable(image, "MSysObjects");
  ASSERT_TRUE(catalog) << catalog.error;
  RowCursor catalogRows = catalog.table->rows();
  ASSERT_TRUE(*catalogRows.next());
  std::string other = image;
  setU32(other, map + 1, catalogRows.location().page);
  other.replace(map + usage_map::kInlineBitmap, usage_map::kInlineBitmapSize,
                std::string(usage_map::kInlineBitmapSize, '\0'));
  setByte(other, map + usage_map::kInlineBitmap, 0x01);
  FindingList damage3;
  EXPECT_TRUE(readCopy(other, &damage3).locations.empty());
  ASSERT_EQ(damage3.findings().size(), 1u);
  EXPECT_NE(damage3.findings()[0].message.find("otra tabla"), std::string::npos);
}

// readAt reads nothing where the table has no row: on a page of another
// table (the table's own catalog row) or past the file, each heard by the
// sink. (That it reads a row by its place: the corpus compaction reads
// MSysObjects so, in key order.)
TEST_F(RowCursorTest, ReadAtReadsTheRowsOfItsTableOnly) {
  FindingList damage;
  RowCursor direct = opened.table->rows(&damage);
  auto catalog = Catalog::read(*opened.db);
  ASSERT_TRUE(catalog);
  for (RowLocation nowhere : {catalog->findTable("Table1")->location, RowLocation{0xFFFFFF, 0}}) {
    auto found = direct.readAt(nowhere);
    ASSERT_TRUE(found);
    EXPECT_FALSE(*found);
  }
  EXPECT_EQ(damage.total(), 2u);
}

// A column added to a table has a number past every old row's column count
// (docs/format.md): the old rows read it as NULL and the other columns as
// they were. It is made here from a corpus definition. (That a deleted
// column leaves the rows as they are: the corpus has tables with deleted
// columns, which every corpus compaction reads.)
TEST_F(RowCursorTest, AddedColumnsReadAsNullInOldRows) {
  const TableDefinition& full = opened.table->definition();
  TableDefinition more = full;
  ColumnDef added = full.columns.back();
  added.name = "nueva";
  added.number = full.columnsCreated;
  more.columnsCreated = static_cast<std::uint16_t>(more.columnsCreated + 1);
  more.columns.push_back(added);
  RowCursor rows(*opened.db, more);
  std::size_t r = 0;
  while (*rows.next()) {
    EXPECT_TRUE(isNull(rows.values().back()));
    EXPECT_EQ(std::vector<Value>(rows.values().begin(), rows.values().end() - 1), clean.values[r++]);
  }
  EXPECT_EQ(r, clean.values.size());
}

}  // namespace
}  // namespace jet
