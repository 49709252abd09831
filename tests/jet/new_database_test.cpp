// New databases: the system tables as Access creates them, clean, and read
// by mdbtools.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "jet/check/checker.h"
#include "jet/model/catalog.h"
#include "jet/model/table.h"
#include "jet/write/new_database.h"
#include "jet/write/value_codec.h"
#include "tests/support/corpus.h"
#include "tests/support/open_table.h"

namespace jet {
namespace {

using namespace testing_support;

const DateTime kCreated{40000.5};

// The parts of a definition that do not depend on where it was written.
std::string shape(const TableDefinition& t) {
  std::string s = std::to_string(t.tableType) + "|" + std::to_string(t.varColumns) + "|";
  for (const ColumnDef& c : t.columns) {
    s += c.name + ":" + std::to_string(c.typeCode) + ":" + std::to_string(c.flags) + ":" +
         std::to_string(c.length) + ":" + std::to_string(c.number) + ":" +
         std::to_string(c.number2) + ",";
  }
  for (const RealIndexDef& r : t.realIndexes) {
    s += "R" + std::to_string(r.flags);
    for (const IndexColumn& c : r.columns) s += ":" + std::to_string(c.column) + (c.ascending ? "a" : "d");
  }
  for (const LogicalIndexDef& l : t.logicalIndexes) {
    s += "L" + l.name + ":" + std::to_string(l.kind) + ":" + std::to_string(l.realIndex) + ":" +
         std::to_string(l.number);
  }
  return s;
}

TEST(NewDatabase, SystemTablesAsAccessCreatesThemAndClean) {
  REQUIRE_CORPUS();
  TempDir dir;
  ASSERT_TRUE(createDatabase(dir / "nueva.mdb", kCreated));
  auto ours = Database::open(dir / "nueva.mdb");
  auto theirs = Database::open(corpusFile("delTestV1997.mdb"));
  ASSERT_TRUE(ours && theirs);
  auto report = checkDatabase(**ours);
  ASSERT_TRUE(report);
  for (const Finding& f : report->findings.findings()) ADD_FAILURE() << f.toString();

  auto a = Catalog::read(**ours);
  auto b = Catalog::read(**theirs);
  ASSERT_TRUE(a && b);
  // Every system table of an Access file, defined as there, and no other.
  std::vector<std::string> names;
  for (const CatalogEntry* e : a->tables(true)) {
    names.push_back(e->name);
    auto mine = Table::open(**ours, e);
    auto access = Table::open(**theirs, b->findTable(e->name));
    ASSERT_TRUE(mine && access) << e->name;
    EXPECT_EQ(shape(mine->definition()), shape(access->definition())) << e->name;
    EXPECT_EQ(e->tablePage(), mine->definition().page);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"MSysObjects", "MSysACEs", "MSysQueries",
                                             "MSysRelationships", "MSysModules2", "MSysModules"}));
  // The same system objects with the same flags and owners; dated now.
  std::map<std::string, const CatalogEntry*> access;
  for (const CatalogEntry& e : b->entries()) access[e.name] = &e;
  for (const CatalogEntry& e : a->entries()) {
    SCOPED_TRACE(e.name);
    ASSERT_TRUE(access.count(e.name));
    const CatalogEntry& x = *access[e.name];
    EXPECT_EQ(e.type, x.type);
    EXPECT_EQ(e.flags, x.flags);
    EXPECT_EQ(e.parentId, x.parentId);
    if (!e.isTable()) {
      EXPECT_EQ(e.id, x.id);
    }
    ASSERT_TRUE(e.created);
    EXPECT_EQ(e.created->days, kCreated.days);
    if (e.name != "SummaryInfo") {
      EXPECT_EQ(e.properties, x.properties);
    }
  }
  EXPECT_EQ(a->entries().size(), b->entries().size() - 1);  // all but the user table
}

// A user table's three permission entries, as Access writes them.
TEST(NewDatabase, UserTablePermissionsFollowAccess) {
  REQUIRE_CORPUS();
  auto aces = userTableAces(1234);
  ASSERT_EQ(aces.size(), 3u);
  const OpenedTable table = openTable(readFile(corpusFile("delTestV1997.mdb")), "MSysACEs");
  ASSERT_TRUE(table) << table.error;
  std::vector<std::vector<Value>> access;  // those of the user table "Table", page 29
  RowCursor rows = table.table->rows();
  while (*rows.next()) {
    if (rows.values()[0] == Value{std::int32_t{29}}) access.push_back(rows.values());
  }
  ASSERT_EQ(access.size(), 3u);
  for (auto& row : access) row[0] = std::int32_t{1234};
  auto asBytes = [](const std::vector<std::vector<Value>>& list) {
    std::multiset<std::vector<std::byte>> out;
    for (const auto& row : list) {
      std::vector<std::byte> b;
      encodeValues(row, b);
      out.insert(b);
    }
    return out;
  };
  EXPECT_EQ(asBytes(aces), asBytes(access));
}

}  // namespace
}  // namespace jet
