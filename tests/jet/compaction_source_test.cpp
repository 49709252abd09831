// The input side of the compactor: a healthy database as a CompactionSource,
// and tables added to a source.
#include <gtest/gtest.h>

#include "jet/model/catalog.h"
#include "jet/write/database_source.h"
#include "jet/write/extra_tables_source.h"
#include "jet/model/table.h"
#include "tests/support/corpus.h"
#include "tests/support/damage.h"

namespace jet {
namespace {

using namespace testing_support;

std::vector<std::vector<Value>> readAll(CompactionSource& source, std::size_t table) {
  std::vector<std::vector<Value>> rows;
  auto stream = source.rows(table);
  EXPECT_TRUE(stream) << stream.error().toString();
  if (!stream) return rows;
  while (true) {
    auto more = (*stream)->next();
    EXPECT_TRUE(more) << more.error().toString();
    if (!more || !*more) break;
    rows.push_back((*stream)->values());
  }
  return rows;
}

TableDefinition oneTextColumn() {
  TableDefinition t;
  t.tableType = tdef::kUserTable;
  ColumnDef c;
  c.name = "Descripcion";
  c.type = ColumnType::kText;
  c.typeCode = static_cast<std::uint8_t>(ColumnType::kText);
  c.length = 255;
  c.flags = column_block::kNullableFlag;
  t.columns.push_back(c);
  return t;
}

// An added table comes after the base's tables with its rows, and its
// catalog row comes after MSysObjects' own rows, naming it by its id; rows
// appended to a base table follow its own. A name taken in any letter case,
// a taken id, a row of the wrong width and a table that does not exist are
// refused.
TEST(ExtraTablesSource, AddedTablesAndRowsFollowTheBasesOwn) {
  REQUIRE_CORPUS();
  auto db = Database::open(corpusFile("testV1997.mdb"));
  ASSERT_TRUE(db);
  auto base = DatabaseSource::open(**db);
  ASSERT_TRUE(base);
  ExtraTablesSource source(**base);
  const std::size_t baseTables = (*base)->tables().size();
  const std::int32_t id = source.unusedId();
  for (const SourceTable& t : (*base)->tables()) EXPECT_NE(t.sourceId, id);
  for (const SourceTable& taken : {SourceTable{"msysacES", id, oneTextColumn()},
                                   SourceTable{"Nueva", 2, oneTextColumn()}}) {
    EXPECT_EQ(source.addTable(taken, {}, DateTime{}).error().number(), errc::kInvalidArgument);
  }
  EXPECT_EQ(source.addTable({"Nueva", id, oneTextColumn()}, {{Text{"a"}, Text{"b"}}}, DateTime{})
                .error().number(), errc::kInvalidArgument);
  EXPECT_EQ(source.appendRows("NoExiste", {}).error().number(), errc::kNoSuchTable);

  std::vector<std::vector<Value>> rows{{Text{"uno"}}, {Value{}}};
  ASSERT_TRUE(source.addTable({"MSysCompactError", id, oneTextColumn()}, rows, DateTime{40000.5}));
  ASSERT_EQ(source.tables().size(), baseTables + 1);
  EXPECT_EQ(readAll(source, baseTables), rows);

  const auto objects = readAll(source, 0);
  ASSERT_EQ(objects.size(), (*base)->tables()[0].definition.rowCount + 1);
  const TableDefinition& def = source.tables()[0].definition;
  const std::vector<Value>& added = objects.back();
  EXPECT_EQ(added[columnIndex(def, "Id")], Value{id});
  EXPECT_EQ(added[columnIndex(def, "ParentId")], Value{catalog_id::kTablesContainer});
  EXPECT_EQ(added[columnIndex(def, "Name")], Value{Text{"MSysCompactError"}});
  EXPECT_EQ(added[columnIndex(def, "Type")], Value{std::int16_t{1}});
  EXPECT_EQ(added[columnIndex(def, "DateCreate")], Value{DateTime{40000.5}});
  EXPECT_TRUE(isNull(added[columnIndex(def, "LvProp")]));

  const std::size_t aces = 1;
  ASSERT_EQ(source.tables()[aces].name, "MSysACEs");
  const auto before = readAll(source, aces);
  ASSERT_EQ(before.size(), (*base)->tables()[aces].definition.rowCount);
  ASSERT_TRUE(source.appendRows("MSysACEs", {before.front()}));
  const auto after = readAll(source, aces);
  ASSERT_EQ(after.size(), before.size() + 1);
  EXPECT_EQ(after.back(), before.front());
}

// A table whose physical order is not its key's (MSysObjects: containers
// first, then tables by page, then documents) comes in key order, whole,
// every row once.
TEST(DatabaseSource, RowsOfAKeyedTableComeInKeyOrder) {
  REQUIRE_CORPUS();
  TempDir dir;
  auto db = Database::open(corpusFile("testV1997.mdb"));
  ASSERT_TRUE(db);
  DatabaseSourceOptions options;
  options.scratchFolder = dir.path();
  auto source = DatabaseSource::open(**db, options);
  ASSERT_TRUE(source);
  const SourceTable& objects = (*source)->tables()[0];
  ASSERT_EQ(objects.name, "MSysObjects");
  const int id = columnIndex(objects.definition, "Id");
  auto ids = [&](RowStream& rows) {
    std::vector<std::int32_t> out;
    while (*rows.next()) out.push_back(std::get<std::int32_t>(rows.values()[id]));
    return out;
  };
  auto stream = (*source)->rows(0);
  ASSERT_TRUE(stream);
  EXPECT_TRUE((*stream)->primaryKeyOrder());
  const std::vector<std::int32_t> sorted = ids(**stream);
  EXPECT_EQ(sorted.size(), objects.definition.rowCount);
  EXPECT_TRUE(std::adjacent_find(sorted.begin(), sorted.end(), std::greater_equal<>()) ==
              sorted.end());
  // The physical order differs: the key order was not merely read on.
  auto table = Table::open(**db, kCatalogPage, "MSysObjects");
  ASSERT_TRUE(table);
  std::vector<std::int32_t> physical;
  RowCursor rows = table->rows();
  while (*rows.next()) physical.push_back(std::get<std::int32_t>(rows.values()[id]));
  EXPECT_NE(physical, sorted);
  std::sort(physical.begin(), physical.end());
  EXPECT_EQ(physical, sorted);
}

}  // namespace
}  // namespace jet
