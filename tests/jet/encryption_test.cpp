// Encrypted databases are read transparently, and only with their key.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "jet/io/rc4.h"
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

// Every page but page 0 is RC4 with the database key XOR the page number
// (little-endian) as its key; RC4 itself gives the published test vector.
TEST(Encryption, EveryPageButTheHeaderTakesTheKeyXorItsNumber) {
  std::array<std::byte, 9> text{};
  const std::string plain = "Plaintext";
  std::transform(plain.begin(), plain.end(), text.begin(), [](char c) { return std::byte(c); });
  const std::uint8_t rc4Key[] = {'K', 'e', 'y'};
  Rc4(rc4Key).apply(text);
  const std::array<std::byte, 9> cipher{std::byte{0xBB}, std::byte{0xF3}, std::byte{0x16},
                                        std::byte{0xE8}, std::byte{0xD9}, std::byte{0x40},
                                        std::byte{0xAF}, std::byte{0x0A}, std::byte{0xD3}};
  EXPECT_EQ(text, cipher);

  const std::uint32_t key = 0x5A3C9E17;
  for (std::uint32_t number : {0u, 1u, 2u, 513u}) {
    std::array<std::byte, kPageSize> page{};
    PageSource::applyCipher(key, number, page);
    std::array<std::byte, kPageSize> expected{};
    if (number != 0) {
      const std::uint32_t k = key ^ number;
      const std::uint8_t pageKey[] = {std::uint8_t(k), std::uint8_t(k >> 8), std::uint8_t(k >> 16),
                                      std::uint8_t(k >> 24)};
      Rc4(pageKey).apply(expected);
    }
    EXPECT_EQ(page, expected) << "page " << number;
  }
}

}  // namespace
}  // namespace jet
