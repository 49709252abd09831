// compactDatabase at the edges: refused destinations, sources in use or not
// databases, damage, encryption; a failure never leaves a file of ours. And
// tables and rows added to a compaction's source (a healthy database read as
// a source, in key order, is the corpus compaction's business:
// compactor_test.cpp).
#include <gtest/gtest.h>

#include <map>

#include "jet/engine.h"
#include "jet/format/header_page.h"
#include "jet/format/row.h"
#include "jet/model/database.h"
#include "jet/model/row_cursor.h"
#include "jet/model/table.h"
#include "jet/rebuild/compact_error_table.h"
#include "jet/write/database_source.h"
#include "jet/write/extra_tables_source.h"
#include "jet/write/generator.h"
#include "tests/support/corpus.h"
#include "tests/support/damage.h"
#include "tests/support/database_layout.h"
#include "tests/support/encrypt.h"
#include "tests/support/open_table.h"

namespace jet {
namespace {

using namespace testing_support;
namespace fs = std::filesystem;

// Every file of `folder` by name, with its bytes.
std::map<std::string, std::string> folderContents(const fs::path& folder) {
  std::map<std::string, std::string> out;
  for (const auto& e : fs::directory_iterator(folder)) out[e.path().filename().string()] = readFile(e.path());
  return out;
}

// A compaction refused, for each reason, with its number, before or after
// writing: no file changes and none is left. The destination that exists
// stays; a source open for writing elsewhere is in use; a row that cannot be
// read (slot 0 of the page of "Table" points into the offset table) stops
// the compaction, which is the repair's business. A source whose rows read
// but that no sound file holds (two catalog rows naming two tables "Table1",
// a repeated key in MSysObjects' unique index ParentIdName) would give a
// file that does not check clean, so it is not published: 3343.
TEST(CompactDatabase, RefusalsAreNumberedAndLeaveEveryFileAsItWas) {
  REQUIRE_CORPUS();
  TempDir dir;
  writeFile(dir / "destino.mdb", "no tocar");
  writeFile(dir / "texto.mdb", std::string(4096, 'x'));
  std::string damaged = corpusImage("delTestV1997.mdb");
  ASSERT_EQ(getU32(damaged, at(31, 4)), 29u);
  setU16(damaged, at(31, 10), 0x0004);
  writeFile(dir / "danada.mdb", damaged);
  std::string twoNames = corpusImage("indexTestV1997.mdb");
  renameTable(twoNames, "Table2", "Table1");
  writeFile(dir / "repetida.mdb", twoNames);
  fs::copy_file(corpusFile("testV1997.mdb"), dir / "abierta.mdb");
  auto writer = Database::open(dir / "abierta.mdb", Database::Access::kWrite);
  ASSERT_TRUE(writer);
  const auto before = folderContents(dir.path());
  struct Case { fs::path source; const char* destination; int number; const char* says = ""; };
  for (const Case& c : {Case{corpusFile("testV1997.mdb"), "destino.mdb", errc::kAlreadyExists},
                        Case{dir / "abierta.mdb", "nueva.mdb", errc::kInUse},
                        Case{dir / "no.mdb", "nueva.mdb", errc::kNotFound, "no.mdb"},
                        Case{dir / "texto.mdb", "nueva.mdb", errc::kNotDatabase},
                        Case{corpusFile("testV1997.mdb"), "no/nueva.mdb", errc::kNotFound},
                        Case{dir / "danada.mdb", "nueva.mdb", errc::kCorrupt},
                        Case{dir / "repetida.mdb", "nueva.mdb", errc::kCorrupt, "clave repetida"}}) {
    SCOPED_TRACE(c.source.filename().string() + " -> " + c.destination);
    Status s = compactDatabase(c.source, dir / c.destination);
    ASSERT_FALSE(s);
    EXPECT_EQ(s.error().number(), c.number) << s.error().toString();
    EXPECT_NE(s.error().description().find(c.says), std::string::npos) << s.error().toString();
    EXPECT_EQ(folderContents(dir.path()), before);
  }
}

// A primary key whose index points at the rows in the order they lie in is
// taken at its word (the rows are not sorted), and the rows' keys are
// checked as they come: when the second row takes the first one's key behind
// the index's back, the compaction stops with 3343, saying so, and leaves
// nothing of ours.
TEST(CompactDatabase, PrimaryKeyIndexThatDisagreesWithItsRowsIs3343) {
  TempDir dir;
  GenerateOptions options;
  options.seed = 4;
  ASSERT_TRUE(generateDatabase(dir / "generada.mdb", options).ok());
  ASSERT_TRUE(compactDatabase(dir / "generada.mdb", dir / "origen.mdb").ok());  // in key order
  fs::remove(dir / "generada.mdb");
  std::string image = readFile(dir / "origen.mdb");

  // The generator's Clientes has its Long primary key Id as its first fixed
  // column: the second row takes the first one's Id.
  std::vector<std::size_t> keys;  // offsets of the two values
  {
    OpenedTable clientes = openTable(image, "Clientes");
    ASSERT_TRUE(clientes) << clientes.error;
    const ColumnDef& id = clientes.table->definition().columns[0];
    ASSERT_TRUE(id.name == "Id" && id.isFixed());
    RowCursor rows = clientes.table->rows();
    while (keys.size() < 2 && *rows.next()) {
      const ByteRange r = rowRange(image, rows.location().page, rows.location().row);
      keys.push_back(r.start + row_layout::kFixedData + id.fixedOffset);
    }
  }
  ASSERT_EQ(keys.size(), 2u);
  setU32(image, keys[1], getU32(image, keys[0]));
  fs::remove(dir / "origen.mdb");
  writeFile(dir / "origen.mdb", image);

  Status s = compactDatabase(dir / "origen.mdb", dir / "destino.mdb");
  ASSERT_FALSE(s);
  EXPECT_EQ(s.error().number(), errc::kCorrupt) << s.error().toString();
  EXPECT_NE(s.error().description().find("no siguen su clave principal"), std::string::npos);
  EXPECT_EQ(folderContents(dir.path()), (std::map<std::string, std::string>{{"origen.mdb", image}}));
}

// An encrypted database compacts to the encrypted form of what its clear
// twin compacts to: same key, every page but the header encrypted; so it
// reads as its twin, row for row.
TEST(CompactDatabase, EncryptedSourceGivesTheEncryptedCompaction) {
  REQUIRE_CORPUS();
  const std::uint32_t key = 0x5A17C0DE;
  for (const char* file : {"testV1997.mdb", "overflowTestV1997.mdb", "indexTestV1997.mdb"}) {
    SCOPED_TRACE(file);
    TempDir dir;
    const std::string clear = corpusImage(file);
    writeFile(dir / "clara.mdb", clear);
    writeFile(dir / "cifrada.mdb", encryptImage(clear, key));
    ASSERT_TRUE(compactDatabase(dir / "clara.mdb", dir / "clara-c.mdb"));
    ASSERT_TRUE(compactDatabase(dir / "cifrada.mdb", dir / "cifrada-c.mdb"));
    EXPECT_EQ(readFile(dir / "cifrada-c.mdb"), encryptImage(readFile(dir / "clara-c.mdb"), key));
  }
}

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
  // The table a repair adds.
  const TableDefinition errors = compactErrorTable(id, (*db)->header()).definition;
  for (const SourceTable& taken :
       {SourceTable{"msysacES", id, errors}, SourceTable{"Nueva", 2, errors}}) {
    EXPECT_EQ(source.addTable(taken, {}, DateTime{}).error().number(), errc::kInvalidArgument);
  }
  EXPECT_EQ(source.addTable({"Nueva", id, errors}, {{Text{"a"}}}, DateTime{}).error().number(),
            errc::kInvalidArgument);
  EXPECT_EQ(source.appendRows("NoExiste", {}).error().number(), errc::kNoSuchTable);

  std::vector<std::vector<Value>> rows{{std::int32_t{3343}, Text{"uno"}, Value{}, Value{}},
                                       {Value{}, Value{}, Value{}, Text{"T"}}};
  ASSERT_TRUE(source.addTable({"MSysCompactError", id, errors}, rows, DateTime{40000.5}));
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

}  // namespace
}  // namespace jet
