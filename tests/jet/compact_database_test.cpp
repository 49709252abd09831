// compactDatabase at the edges: refused destinations, sources in use or not
// databases, damage, encryption; a failure never leaves a file of ours.
#include <gtest/gtest.h>

#include "jet/engine.h"
#include "jet/format/header_page.h"
#include "jet/model/database.h"
#include "tests/support/corpus.h"
#include "tests/support/damage.h"
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
