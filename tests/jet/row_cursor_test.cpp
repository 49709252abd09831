// Reading rows in physical order from the corpus, and from damaged copies.
#include <gtest/gtest.h>


#include "jet/format/data_page.h"
#include "jet/model/catalog.h"
#include "jet/model/table.h"
#include "tests/support/corpus.h"
#include "tests/support/damage.h"
#include "tests/support/open_table.h"

namespace jet {
namespace {

using namespace testing_support;

struct Read {
  std::vector<RowLocation> locations;
  std::vector<RowLocation> bodies;
  std::vector<std::vector<Value>> values;
};

Read readAll(const Table& table, DamageSink* damage = nullptr) {
  Read r;
  RowCursor rows = table.rows(damage);
  while (true) {
    auto more = rows.next();
    EXPECT_TRUE(more) << more.error().toString();
    if (!more || !*more) break;
    r.locations.push_back(rows.location());
    r.bodies.push_back(rows.bodyLocation());
    r.values.push_back(rows.values());
  }
  return r;
}

// No corpus file holds a moved row, so one is made: a new slot flagged 0x4000
// is appended to the first data page of testV1997's Table1, pointing at row 0
// of the same page, whose slot becomes a body (0x8000).
struct MovedRowImage {
  std::string image;
  RowLocation pointer;  // the new 0x4000 slot
  RowLocation body;
};

MovedRowImage makeMovedRow(const std::string& image, std::uint32_t page) {
  MovedRowImage m{image, {}, {page, 0}};
  const std::uint16_t count = getU16(image, at(page, data_page::kRowCount));
  const std::uint16_t lowest = getU16(image, at(page, data_page::kRowOffsets + 2 * (count - 1))) &
                               data_page::kOffsetMask;
  const std::uint16_t slot = static_cast<std::uint16_t>(lowest - data_page::kPointerSize);
  EXPECT_GE(slot, data_page::kRowOffsets + 2 * (count + 1));  // room for it
  setU16(m.image, at(page, data_page::kRowCount), count + 1);
  // Jet keeps free space = lowest row start - end of the offset table.
  setU16(m.image, at(page, data_page::kFreeSpace),
         static_cast<std::uint16_t>(slot - (data_page::kRowOffsets + 2 * (count + 1))));
  setU16(m.image, at(page, data_page::kRowOffsets + 2 * count), slot | data_page::kMoved);
  setU32(m.image, at(page, slot), page << 8 | 0);  // row 0 of this page
  const std::uint16_t first = getU16(image, at(page, data_page::kRowOffsets));
  setU16(m.image, at(page, data_page::kRowOffsets), first | data_page::kNotLive);
  m.pointer = {page, static_cast<std::uint8_t>(count)};
  return m;
}

TEST(RowCursor, MovedRowIsReadFromItsBodyAndNamedByItsSlot) {
  REQUIRE_CORPUS();
  const std::string image = corpusImage("testV1997.mdb");
  OpenedTable opened = openTable(image, "Table1");
  ASSERT_TRUE(opened) << opened.error;
  const Table* table = &*opened.table;
  Read clean = readAll(*table);
  ASSERT_EQ(clean.locations[0].row, 0);

  MovedRowImage m = makeMovedRow(image, clean.locations[0].page);
  OpenedTable o2 = openTableAt(m.image, table->definition().page, "Table1");
  ASSERT_TRUE(o2) << o2.error;
  const Table* t2 = &*o2.table;
  FindingList damage;
  Read r = readAll(*t2, &damage);
  EXPECT_TRUE(damage.empty());
  ASSERT_EQ(r.locations.size(), clean.locations.size());
  // Physical order: the row now comes where its 0x4000 slot is.
  std::size_t i = 0;
  while (i < r.locations.size() && !(r.locations[i] == m.pointer)) ++i;
  ASSERT_LT(i, r.locations.size());
  EXPECT_EQ(r.bodies[i], m.body);
  EXPECT_EQ(r.values[i], clean.values[0]);

  // A pointer to a slot that is not a body, or past the file, is damage.
  for (std::uint32_t target : {m.body.page << 8 | 1, 0x00FFFF00u}) {
    std::string bad = m.image;
    const std::uint16_t off = getU16(bad, at(m.pointer.page, data_page::kRowOffsets +
                                                                 2 * m.pointer.row)) &
                              data_page::kOffsetMask;
    setU32(bad, at(m.pointer.page, off), target);
    OpenedTable o3 = openTableAt(bad, table->definition().page, "Table1");
    ASSERT_TRUE(o3) << o3.error;
    const Table* t3 = &*o3.table;
    FindingList d3;
    Read r3 = readAll(*t3, &d3);
    ASSERT_EQ(d3.findings().size(), 1u);
    EXPECT_EQ(d3.findings()[0].page, m.pointer.page);
    EXPECT_EQ(d3.findings()[0].row, m.pointer.row);
    EXPECT_EQ(r3.locations.size(), clean.locations.size() - 1);
  }
}

// A table whose first data page has a row offset pointing past the page: the
// row is reported with its page and the other rows are still read.
TEST(RowCursor, RowOutsideItsPageIsReportedAndSkipped) {
  REQUIRE_CORPUS();
  std::string image = corpusImage("testV1997.mdb");
  OpenedTable opened = openTable(image, "Table1");
  ASSERT_TRUE(opened) << opened.error;
  const Table* table = &*opened.table;
  Read clean = readAll(*table);
  ASSERT_GE(clean.locations.size(), 2u);
  const RowLocation victim = clean.locations[0];

  // Slot offsets must stay below 2048 (and above the slot table).
  for (std::uint16_t bad : {std::uint16_t{0x0004}, std::uint16_t{0x1FFF}}) {
    std::string damaged = image;
    setU16(damaged, at(victim.page, data_page::kRowOffsets + 2 * victim.row), bad);
    OpenedTable o2 = openTableAt(damaged, table->definition().page, "Table1");
    ASSERT_TRUE(o2) << o2.error;
    const Table* t2 = &*o2.table;
    FindingList damage;
    Read r = readAll(*t2, &damage);
    // The slot after it ends where the victim starts, so it is lost too.
    ASSERT_EQ(damage.findings().size(), 2u);
    EXPECT_EQ(damage.findings()[0].page, victim.page);
    EXPECT_EQ(damage.findings()[0].row, victim.row);
    EXPECT_EQ(damage.findings()[0].table, "Table1");
    EXPECT_EQ(damage.findings()[1].row, victim.row + 1);
    EXPECT_EQ(r.locations.size(), clean.locations.size() - 2);
    // Without a sink the same damage stops the read with 3343.
    RowCursor strict = t2->rows();
    Result<bool> more = true;
    while (more && *more) more = strict.next();
    ASSERT_FALSE(more);
    EXPECT_EQ(more.error().number(), errc::kCorrupt);
  }
}

// A page's row count that its free space and offsets disagree with (too
// many slots, or none) is damage, and the rows read are those they agree on.
TEST(RowCursor, RowCountThatTheFreeSpaceDisagreesWithIsDamage) {
  REQUIRE_CORPUS();
  const std::string image = corpusImage("testV1997.mdb");
  OpenedTable opened = openTable(image, "Table1");
  ASSERT_TRUE(opened) << opened.error;
  const Read clean = readAll(*opened.table);
  ASSERT_FALSE(clean.locations.empty());
  const std::uint32_t page = clean.locations.front().page;
  for (std::uint16_t count : {std::uint16_t{0}, std::uint16_t{1}, std::uint16_t{255}}) {
    SCOPED_TRACE(count);
    std::string bad = image;
    setU16(bad, at(page, data_page::kRowCount), count);
    OpenedTable o = openTableAt(bad, opened.table->definition().page, "Table1");
    ASSERT_TRUE(o) << o.error;
    FindingList damage;
    const Read r = readAll(*o.table, &damage);
    EXPECT_EQ(damage.findings().size(), 1u);
    EXPECT_EQ(r.values, clean.values);
  }
}

TEST(RowCursor, UsageMapNamingPagesOfAnotherTableOrPastTheFile) {
  REQUIRE_CORPUS();
  std::string image = corpusImage("testV1997.mdb");
  OpenedTable opened = openTable(image, "Table1");
  ASSERT_TRUE(opened) << opened.error;
  const Database* db = opened.db.get();
  const Table* table = &*opened.table;
  // The table's map is inline (type 0): move its start page so it names pages
  // past the end of the file.
  const RowLocation map = RowLocation::fromPointer(table->definition().usageMap);
  auto page = db->pages().read(map.page);
  ASSERT_TRUE(page);
  auto data = DataPage::decode((*page)->view(), map.page);
  ASSERT_TRUE(data);
  const std::uint16_t start = data->slot(map.row)->start;
  ASSERT_EQ(getByte(image, at(map.page, start)), 0);  // type 0
  std::string damaged = image;
  setU32(damaged, at(map.page, start + 1), 0x00FFFF00);
  OpenedTable o2 = openTableAt(damaged, table->definition().page, "Table1");
  ASSERT_TRUE(o2) << o2.error;
  const Table* t2 = &*o2.table;
  FindingList damage;
  Read r = readAll(*t2, &damage);
  EXPECT_TRUE(r.locations.empty());
  ASSERT_FALSE(damage.empty());
  EXPECT_NE(damage.findings()[0].message.find("fuera del archivo"), std::string::npos);

  // Shift the map by one page: it now names pages of other tables.
  std::string other = image;
  setU32(other, at(map.page, start + 1), getU32(image, at(map.page, start + 1)) + 1);
  OpenedTable o3 = openTableAt(other, table->definition().page, "Table1");
  ASSERT_TRUE(o3) << o3.error;
  const Table* t3 = &*o3.table;
  FindingList damage3;
  readAll(*t3, &damage3);
  ASSERT_FALSE(damage3.empty());
}

}  // namespace
}  // namespace jet

namespace jet {
namespace {

// Deleting a column takes its block out of the definition and leaves the rows
// as they are: the other columns keep their numbers, variable indexes and
// fixed offsets, and the definition's counts of columns ever made and of
// variable columns keep counting it (docs/format.md). A column added later has a number past every old row's
// column count. Both are made here from a corpus definition.
TEST(RowCursor, DeletedAndAddedColumns) {
  REQUIRE_CORPUS();
  OpenedTable opened = openTable(corpusImage("testV1997.mdb"), "Table1");
  ASSERT_TRUE(opened) << opened.error;
  const TableDefinition& full = opened.table->definition();
  ASSERT_GE(full.columns.size(), 4u);
  Read before = readAll(*opened.table);

  for (std::size_t gone = 0; gone < full.columns.size(); ++gone) {
    TableDefinition fewer = full;
    fewer.columns.erase(fewer.columns.begin() + static_cast<std::ptrdiff_t>(gone));
    RowCursor rows(*opened.db, fewer);
    std::size_t r = 0;
    while (*rows.next()) {
      std::vector<Value> expected = before.values[r++];
      expected.erase(expected.begin() + static_cast<std::ptrdiff_t>(gone));
      EXPECT_EQ(rows.values(), expected) << "without column " << gone << ", row " << r;
    }
    EXPECT_EQ(r, before.values.size());
  }

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
    EXPECT_EQ(std::vector<Value>(rows.values().begin(), rows.values().end() - 1),
              before.values[r++]);
  }
  EXPECT_EQ(r, before.values.size());
}

}  // namespace
}  // namespace jet
