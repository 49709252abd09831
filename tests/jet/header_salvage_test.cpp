// Restoring the settings of a damaged header page.
#include <gtest/gtest.h>

#include "jet/format/header_page.h"
#include "jet/io/byte_source.h"
#include "jet/salvage/header_salvage.h"
#include "tests/support/corpus.h"
#include "tests/support/damage.h"
#include "tests/support/encrypt.h"

namespace jet {
namespace {

using namespace testing_support;

const char* const kFile = "testV1997.mdb";

// Sets a field of the masked block to `value` (the mask is a key stream:
// XOR with old ^ new changes the decoded field to `value`).
void setMasked(std::string& image, std::size_t offset, std::size_t size, std::uint64_t value) {
  std::string clear = image.substr(0, header_page::kMinimumSize);
  toggleHeaderMask(std::span(reinterpret_cast<std::byte*>(clear.data()), clear.size()));
  for (std::size_t i = 0; i < size; ++i) {
    const auto old = static_cast<std::uint8_t>(clear[offset + i]);
    const auto want = static_cast<std::uint8_t>(value >> (8 * i));
    setByte(image, offset + i, static_cast<std::uint8_t>(getByte(image, offset + i) ^ old ^ want));
  }
}

Result<HeaderPage> salvage(const std::string& image, ProblemList& problems) {
  MemoryBytes bytes(image);
  return salvageHeader(bytes, problems);
}

TEST(HeaderSalvageTest, SoundHeaderIsKeptAsItIs) {
  REQUIRE_CORPUS();
  ProblemList problems;
  auto h = salvage(corpusImage(kFile), problems);
  ASSERT_TRUE(h.ok());
  EXPECT_EQ(h->codePage, 1252);
  EXPECT_EQ(h->sortOrder, 1033);
  EXPECT_EQ(h->databaseKey, 0u);
  EXPECT_TRUE(problems.empty());
}

TEST(HeaderSalvageTest, ImpossibleCodePageAndSortOrderComeFromTheColumns) {
  REQUIRE_CORPUS();
  std::string image = corpusImage(kFile);
  setMasked(image, header_page::kCodePage, 2, 0x7777);
  setMasked(image, header_page::kSortOrder, 2, 0x0001);
  ProblemList problems;
  auto h = salvage(image, problems);
  ASSERT_TRUE(h.ok());
  EXPECT_EQ(h->codePage, 1252);
  EXPECT_EQ(h->sortOrder, 1033);
  EXPECT_EQ(problems.total(), 2u);
}

TEST(HeaderSalvageTest, KeyOfAnUnencryptedFileIsDroppedAndAnEncryptedFileKeepsItsOwn) {
  REQUIRE_CORPUS();
  std::string image = corpusImage(kFile);
  setMasked(image, header_page::kDatabaseKey, 4, 0x12345678);
  ProblemList problems;
  auto h = salvage(image, problems);
  ASSERT_TRUE(h.ok());
  EXPECT_EQ(h->databaseKey, 0u);
  EXPECT_EQ(problems.total(), 1u);

  ProblemList none;
  auto encrypted = salvage(encryptImage(corpusImage(kFile), 0x0BADF00D), none);
  ASSERT_TRUE(encrypted.ok());
  EXPECT_EQ(encrypted->databaseKey, 0x0BADF00Du);
  EXPECT_TRUE(none.empty());
}

TEST(HeaderSalvageTest, GarbledPasswordIsClearedAndARealOneRefused) {
  REQUIRE_CORPUS();
  std::string image = corpusImage(kFile);
  setMasked(image, header_page::kPassword + 3, 2, 0x0107);  // not text
  ProblemList problems;
  auto h = salvage(image, problems);
  ASSERT_TRUE(h.ok());
  EXPECT_FALSE(h->hasPassword());
  EXPECT_EQ(problems.total(), 1u);

  image = corpusImage(kFile);
  setMasked(image, header_page::kPassword, 6, 0x000000726f6353);  // "Scor"
  auto refused = salvage(image, problems);
  ASSERT_FALSE(refused.ok());
  EXPECT_EQ(refused.error().number(), errc::kBadPassword);
}

// A page 0 that is no Jet 3 header is rebuilt as Access writes one while
// page 2 still holds MSysObjects' definition; without that either, the file
// is not a database.
TEST(HeaderSalvageTest, FileThatIsNotJet3IsRefusedUnlessItsCatalogShowsOne) {
  REQUIRE_CORPUS();
  std::string image = corpusImage(kFile);
  setByte(image, header_page::kMagic, 'X');
  ProblemList problems;
  auto h = salvage(image, problems);
  ASSERT_TRUE(h.ok()) << h.error().toString();
  EXPECT_FALSE(problems.empty());
  EXPECT_EQ(h->sortOrder, header_page::kGeneralSortOrder);
  EXPECT_EQ(h->codePage, header_page::kWesternCodePage);

  setByte(image, 2 * 2048, 0x01);  // page 2 no longer a definition
  ProblemList more;
  auto refused = salvage(image, more);
  ASSERT_FALSE(refused.ok());
  EXPECT_EQ(refused.error().number(), errc::kNotDatabase);
}

}  // namespace
}  // namespace jet
