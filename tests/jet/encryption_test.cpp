// Encrypted databases are read transparently.
#include <gtest/gtest.h>

#include "jet/model/catalog.h"
#include "jet/model/table.h"
#include "tests/support/corpus.h"
#include "tests/support/damage.h"
#include "tests/support/encrypt.h"

namespace jet {
namespace {

using namespace testing_support;

// Every row of every table, in order.
std::vector<std::vector<Value>> everything(const std::string& image) {
  std::vector<std::vector<Value>> all;
  auto db = Database::openBytes(image);
  EXPECT_TRUE(db);
  if (!db) return all;
  auto catalog = Catalog::read(**db);
  EXPECT_TRUE(catalog);
  if (!catalog) return all;
  for (const CatalogEntry* e : catalog->tables(true)) {
    auto table = Table::open(**db, e);
    EXPECT_TRUE(table);
    if (!table) continue;
    RowCursor rows = table->rows();
    while (true) {
      auto more = rows.next();
      EXPECT_TRUE(more);
      if (!more || !*more) break;
      all.push_back(rows.values());
    }
  }
  return all;
}

TEST(Encryption, EncryptedCopiesReadLikeTheirOriginals) {
  REQUIRE_CORPUS();
  for (const char* file : {"testV1997.mdb", "overflowTestV1997.mdb", "indexTestV1997.mdb"}) {
    SCOPED_TRACE(file);
    const std::string image = corpusImage(file);
    const std::string encrypted = encryptImage(image, 0x5A3C9E17);
    ASSERT_NE(encrypted.substr(kPageSize), image.substr(kPageSize));
    auto db = Database::openBytes(encrypted);
    ASSERT_TRUE(db);
    EXPECT_TRUE((*db)->header().encrypted());
    EXPECT_EQ((*db)->header().databaseKey, 0x5A3C9E17u);
    auto clear = everything(image);
    EXPECT_GT(clear.size(), 10u);
    EXPECT_EQ(everything(encrypted), clear);
  }
}

TEST(Encryption, WrongKeyIsDamageNotACrash) {
  REQUIRE_CORPUS();
  std::string image = encryptImage(corpusImage("testV1997.mdb"), 0x5A3C9E17);
  std::span<std::byte> page(reinterpret_cast<std::byte*>(image.data()), kPageSize);
  toggleHeaderMask(page);
  setU32(image, header_page::kDatabaseKey, 0x5A3C9E18);  // off by one bit
  toggleHeaderMask(page);
  auto db = Database::openBytes(image);
  ASSERT_TRUE(db);
  auto catalog = Catalog::read(**db);
  ASSERT_FALSE(catalog);
  EXPECT_EQ(catalog.error().number(), errc::kCorrupt);
}

}  // namespace
}  // namespace jet
