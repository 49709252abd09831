// Encrypted databases are read transparently, and only with their key.
#include <gtest/gtest.h>

#include "jet/model/catalog.h"
#include "tests/support/corpus.h"
#include "tests/support/damage.h"
#include "tests/support/encrypt.h"

namespace jet {
namespace {

using namespace testing_support;

// A key one bit off decrypts to garbage: the catalog does not read, and that
// is damage, not a crash. (An encrypted copy read with its key reads as its
// original: compact_database_test.cpp compacts both to the same database.)
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
