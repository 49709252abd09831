// compactDatabase at the edges: refused destinations, sources in use or not
// databases, damage, encryption; a failure never leaves a file of ours.
#include <gtest/gtest.h>

#include <map>

#include "jet/engine.h"
#include "jet/format/header_page.h"
#include "jet/format/row.h"
#include "jet/model/catalog.h"
#include "jet/model/database.h"
#include "jet/model/row_cursor.h"
#include "jet/model/table.h"
#include "jet/write/generator.h"
#include "tests/support/corpus.h"
#include "tests/support/damage.h"
#include "tests/support/database_layout.h"
#include "tests/support/encrypt.h"

namespace jet {
namespace {

using namespace testing_support;
namespace fs = std::filesystem;

std::vector<std::string> filesIn(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// Every file of `folder` by name, with its bytes.
std::map<std::string, std::string> folderContents(const fs::path& folder) {
  std::map<std::string, std::string> out;
  for (const std::string& name : filesIn(folder)) out[name] = readFile(folder / name);
  return out;
}

// A compaction refused, for each reason, with its number, before or after
// writing: no file changes and none is left. The destination that exists
// stays; a source open for writing elsewhere is in use; a row that cannot be
// read (slot 0 of the page of "Table" points into the offset table) stops
// the compaction, which is the repair's business.
TEST(CompactDatabase, RefusalsAreNumberedAndLeaveEveryFileAsItWas) {
  REQUIRE_CORPUS();
  TempDir dir;
  writeFile(dir / "destino.mdb", "no tocar");
  writeFile(dir / "texto.mdb", std::string(4096, 'x'));
  std::string damaged = corpusImage("delTestV1997.mdb");
  ASSERT_EQ(getU32(damaged, at(31, 4)), 29u);
  setU16(damaged, at(31, 10), 0x0004);
  writeFile(dir / "danada.mdb", damaged);
  fs::copy_file(corpusFile("testV1997.mdb"), dir / "abierta.mdb");
  auto writer = Database::open(dir / "abierta.mdb", Database::Access::kWrite);
  ASSERT_TRUE(writer);
  const auto before = folderContents(dir.path());
  struct Case {
    fs::path source;
    const char* destination;
    int number;
  };
  for (const Case& c : {Case{corpusFile("testV1997.mdb"), "destino.mdb", errc::kAlreadyExists},
                        Case{dir / "abierta.mdb", "nueva.mdb", errc::kInUse},
                        Case{dir / "no.mdb", "nueva.mdb", errc::kNotFound},
                        Case{dir / "texto.mdb", "nueva.mdb", errc::kNotDatabase},
                        Case{corpusFile("testV1997.mdb"), "no/nueva.mdb", errc::kNotFound},
                        Case{dir / "danada.mdb", "nueva.mdb", errc::kCorrupt}}) {
    SCOPED_TRACE(c.source.filename().string() + " -> " + c.destination);
    Status s = compactDatabase(c.source, dir / c.destination);
    ASSERT_FALSE(s);
    EXPECT_EQ(s.error().number(), c.number) << s.error().toString();
    EXPECT_EQ(folderContents(dir.path()), before);
  }
}

// A source whose rows read but that no sound file holds: two catalog rows
// that name two tables "Table1" (a repeated key in MSysObjects' unique index
// ParentIdName). The compacted file would not check clean, so it is not
// published: 3343, and nothing of ours is left.
TEST(CompactDatabase, WrittenFileThatWouldNotCheckCleanIs3343AndLeavesNothing) {
  REQUIRE_CORPUS();
  TempDir dir;
  std::string image = corpusImage("indexTestV1997.mdb");
  {
    auto db = Database::openBytes(image);
    ASSERT_TRUE(db.ok());
    auto catalog = Catalog::read(**db);
    ASSERT_TRUE(catalog.ok());
    const CatalogEntry* second = catalog->findTable("Table2");
    ASSERT_NE(second, nullptr);
    const ByteRange row = rowRange(image, second->location.page, second->location.row);
    const std::size_t name = image.find("Table2", row.start);
    ASSERT_LT(name, row.end);
    image[name + 5] = '1';
  }
  writeFile(dir / "origen.mdb", image);
  Status s = compactDatabase(dir / "origen.mdb", dir / "destino.mdb");
  ASSERT_FALSE(s);
  EXPECT_EQ(s.error().number(), errc::kCorrupt) << s.error().toString();
  EXPECT_NE(s.error().description().find("clave repetida"), std::string::npos) << s.error().toString();
  EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"origen.mdb"});
}

// A primary key whose index points at the rows in the order they lie in is
// taken at its word (the rows are not sorted), and the rows' keys are
// checked as they come: when two rows' keys were swapped behind the index's
// back, the compaction stops with 3343 and leaves nothing of ours.
TEST(CompactDatabase, PrimaryKeyIndexThatDisagreesWithItsRowsIs3343) {
  TempDir dir;
  GenerateOptions options;
  options.seed = 4;
  ASSERT_TRUE(generateDatabase(dir / "generada.mdb", options).ok());
  ASSERT_TRUE(compactDatabase(dir / "generada.mdb", dir / "origen.mdb").ok());  // in key order
  fs::remove(dir / "generada.mdb");
  std::string image = readFile(dir / "origen.mdb");

  // The first table with a Long primary key and two rows: swap their keys.
  std::optional<std::pair<std::size_t, std::size_t>> keys;  // offsets of the two values
  {
    auto db = Database::open(dir / "origen.mdb");
    ASSERT_TRUE(db.ok());
    auto catalog = Catalog::read(**db);
    ASSERT_TRUE(catalog.ok());
    for (const CatalogEntry* e : catalog->tables(false)) {
      auto table = Table::open(**db, e);
      ASSERT_TRUE(table.ok());
      const TableDefinition& t = table->definition();
      for (const LogicalIndexDef& l : t.logicalIndexes) {
        if (!l.primaryKey() || t.realIndexes[l.realIndex].columns.size() != 1) continue;
        const std::uint16_t number = t.realIndexes[l.realIndex].columns[0].column;
        const auto c = std::find_if(t.columns.begin(), t.columns.end(),
                                    [&](const ColumnDef& d) { return d.number == number; });
        if (c == t.columns.end() || c->type != ColumnType::kLong || !c->isFixed()) continue;
        RowCursor rows = table->rows();
        std::vector<std::size_t> at;
        while (at.size() < 2 && *rows.next()) {
          const ByteRange r = rowRange(image, rows.location().page, rows.location().row);
          at.push_back(r.start + row_layout::kFixedData + c->fixedOffset);
        }
        if (at.size() == 2) keys.emplace(at[0], at[1]);
      }
      if (keys) break;
    }
  }
  ASSERT_TRUE(keys) << "a table with a Long primary key";
  const std::uint32_t first = getU32(image, keys->first);
  setU32(image, keys->first, getU32(image, keys->second));
  setU32(image, keys->second, first);
  fs::remove(dir / "origen.mdb");
  writeFile(dir / "origen.mdb", image);

  Status s = compactDatabase(dir / "origen.mdb", dir / "destino.mdb");
  ASSERT_FALSE(s);
  EXPECT_EQ(s.error().number(), errc::kCorrupt) << s.error().toString();
  EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"origen.mdb"});
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
    const std::string compacted = readFile(dir / "cifrada-c.mdb");
    EXPECT_EQ(compacted, encryptImage(readFile(dir / "clara-c.mdb"), key));
    auto db = Database::open(dir / "cifrada-c.mdb");
    ASSERT_TRUE(db);
    EXPECT_EQ((*db)->header().databaseKey, key);
    EXPECT_NE(getByte(compacted, at(2, 0)), 0x02);  // the catalog's definition, encrypted
  }
}

}  // namespace
}  // namespace jet
