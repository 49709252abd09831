// compactDatabase at the edges: refused destinations, sources in use or not
// databases, damage, encryption; a failure never leaves a file of ours.
#include <gtest/gtest.h>

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

TEST(CompactDatabase, ExistingDestinationIs3204AndStaysAsItWas) {
  REQUIRE_CORPUS();
  TempDir dir;
  writeFile(dir / "destino.mdb", "no tocar");
  Status s = compactDatabase(corpusFile("testV1997.mdb"), dir / "destino.mdb");
  ASSERT_FALSE(s);
  EXPECT_EQ(s.error().number(), errc::kAlreadyExists);
  EXPECT_EQ(readFile(dir / "destino.mdb"), "no tocar");
  EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"destino.mdb"});
}

TEST(CompactDatabase, SourceOpenForWritingElsewhereIs3000) {
  REQUIRE_CORPUS();
  TempDir dir;
  fs::copy_file(corpusFile("testV1997.mdb"), dir / "origen.mdb");
  auto writer = Database::open(dir / "origen.mdb", Database::Access::kWrite);
  ASSERT_TRUE(writer);
  Status s = compactDatabase(dir / "origen.mdb", dir / "destino.mdb");
  ASSERT_FALSE(s);
  EXPECT_EQ(s.error().number(), errc::kInUse);
  EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"origen.mdb"});
}

TEST(CompactDatabase, MissingOrForeignSourcesAndFoldersAreNumbered) {
  TempDir dir;
  EXPECT_EQ(compactDatabase(dir / "no.mdb", dir / "d.mdb").error().number(), errc::kNotFound);
  writeFile(dir / "texto.mdb", std::string(4096, 'x'));
  EXPECT_EQ(compactDatabase(dir / "texto.mdb", dir / "d.mdb").error().number(), errc::kNotDatabase);
  EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"texto.mdb"});
  if (!corpusFiles().empty()) {
    EXPECT_EQ(compactDatabase(corpusFile("testV1997.mdb"), dir / "no" / "d.mdb").error().number(),
              errc::kNotFound);
  }
}

// A row that cannot be read stops the compaction (the repair's business),
// and the half-written destination goes with it.
TEST(CompactDatabase, DamagedSourceIs3343AndLeavesNothing) {
  REQUIRE_CORPUS();
  TempDir dir;
  std::string image = corpusImage("delTestV1997.mdb");
  // Page 31 holds the rows of table "Table"; its slot 0 now points into the
  // offset table.
  ASSERT_EQ(getU32(image, at(31, 4)), 29u);
  setU16(image, at(31, 10), 0x0004);
  writeFile(dir / "danada.mdb", image);
  Status s = compactDatabase(dir / "danada.mdb", dir / "destino.mdb");
  ASSERT_FALSE(s);
  EXPECT_EQ(s.error().number(), errc::kCorrupt);
  EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"danada.mdb"});
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
// twin compacts to: same key, every page but the header encrypted.
TEST(CompactDatabase, EncryptedSourceGivesTheEncryptedCompaction) {
  REQUIRE_CORPUS();
  TempDir dir;
  const std::uint32_t key = 0x5A17C0DE;
  const std::string clear = corpusImage("testV1997.mdb");
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

}  // namespace
}  // namespace jet
