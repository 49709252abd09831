// The structural check: every corpus file is clean, and a copy with one kind
// of damage is not, with a finding that names the place.
#include <gtest/gtest.h>

#include <tuple>

#include "jet/check/checker.h"
#include "jet/check/page_owners.h"
#include "jet/format/data_page.h"
#include "jet/format/index_page.h"
#include "jet/format/table_definition.h"
#include "jet/format/usage_map.h"
#include "jet/model/catalog.h"
#include "tests/support/check_image.h"
#include "tests/support/corpus.h"
#include "tests/support/damage.h"

namespace jet {
namespace {

using testing_support::at;
using testing_support::checkImage;
using testing_support::findingsText;
using testing_support::hasFinding;
using testing_support::hasNote;
using testing_support::corpusImage;
using testing_support::getByte;
using testing_support::getU16;
using testing_support::getU32;
using testing_support::setByte;
using testing_support::setU16;
using testing_support::setU32;
using testing_support::usageMapBit;

// compIndexTestV1997: table "Table1" has its TDEF on page 29, data pages 31,
// 35, ..., one descending index (root 36, leaves 37-39, usage map 30/2).
// MSysObjects' "Id" index is the leaf on page 11 (9-byte entries, no prefix).
const char* const kFile = "compIndexTestV1997.mdb";

// Every file Access wrote is free of damage, whatever Access left in it.
class CheckCorpus : public ::testing::TestWithParam<std::filesystem::path> {};

TEST_P(CheckCorpus, NoDamage) {
  const auto& path = GetParam();
  CheckReport r = checkImage(testing_support::readFile(path),
                             testing_support::fileSettings(path).password);
  for (const Finding& f : r.findings.findings()) ADD_FAILURE() << f.toString();
  EXPECT_GE(r.tables, 4u);
  EXPECT_GT(r.indexEntries, 0u);
}

INSTANTIATE_TEST_SUITE_P(Corpus, CheckCorpus, ::testing::ValuesIn(testing_support::allCorpusFiles()),
                         [](const auto& info) { return testing_support::corpusTestName(info.param); });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(CheckCorpus);

TEST(CheckerTest, DataPageOfTheWrongTypeIsReported) {
  REQUIRE_CORPUS();
  std::string image = corpusImage(kFile);
  setByte(image, at(31, 0), index_page::kTypeLeaf);
  CheckReport r = checkImage(image);
  EXPECT_TRUE(hasFinding(r, "página 31")) << findingsText(r);
  EXPECT_TRUE(hasFinding(r, "entrada de índice de más")) << findingsText(r);  // its rows are gone
}

TEST(CheckerTest, PageClaimedTwiceIsReported) {
  REQUIRE_CORPUS();
  std::string image = corpusImage(kFile);
  // Table1's index root (real index block +34) now names MSysObjects' Id leaf.
  auto db = Database::openBytes(image);
  ASSERT_TRUE(db.ok());
  // Find the root pointer by its value (36) inside the TDEF page 29.
  std::size_t rootAt = 0;
  for (std::size_t off = 0x2B; off + 4 <= 2048; ++off) {
    if (getU32(image, at(29, off)) == 36 && getU32(image, at(29, off - 4)) == 7682) rootAt = off;
  }
  ASSERT_NE(rootAt, 0u);
  setU32(image, at(29, rootAt), 11);
  CheckReport r = checkImage(image);
  EXPECT_TRUE(hasFinding(r, "reclamada dos veces")) << findingsText(r);
  EXPECT_TRUE(hasFinding(r, "pertenece a la tabla de la página 2")) << findingsText(r);
  EXPECT_TRUE(hasNote(r, "página 36: espacio recuperable: página que nadie usa")) << findingsText(r);
}

// Only map rows of any objects, and long values of one table, share a page;
// every other second claim is reported, and so is a page past the file.
TEST(CheckerTest, OnlyMapRowsAndOneTablesLongValuesShareAPage) {
  struct Case {
    PageUse first, second;
    std::uint32_t secondOwner;
    bool reported;
  };
  for (const Case& c : {Case{PageUse::kUsageMap, PageUse::kUsageMap, 7, false},
                        Case{PageUse::kLongValue, PageUse::kLongValue, 2, false},
                        Case{PageUse::kLongValue, PageUse::kLongValue, 7, true},
                        Case{PageUse::kTableData, PageUse::kTableData, 2, true},
                        Case{PageUse::kIndex, PageUse::kIndex, 2, true},
                        Case{PageUse::kTableData, PageUse::kLongValue, 2, true}}) {
    SCOPED_TRACE(pageUseName(c.first) + " / " + pageUseName(c.second));
    FindingList sink;
    PageOwners owners(4, sink);
    owners.claim(3, c.first, 2, "T");
    owners.claim(3, c.second, c.secondOwner, "U");
    EXPECT_EQ(sink.findings().size(), c.reported ? 1u : 0u);
    owners.claim(4, c.first, 2, "T");
    ASSERT_EQ(sink.findings().size(), c.reported ? 2u : 1u);
    EXPECT_NE(sink.findings().back().message.find("fuera del archivo"), std::string::npos);
  }
}

// A page in use marked free is damage; a page nothing uses and not marked
// free is space Access leaves, unless it holds rows of a table: then the
// table's usage map lost them.
TEST(CheckerTest, FreePageMapAndUnusedPages) {
  REQUIRE_CORPUS();
  std::string image = corpusImage("testV1997.mdb");
  // Page 36 (a stale definition) is free: mark it used.
  auto [byte, bit] = usageMapBit(image, 1u << 8, 36);
  setByte(image, byte, getByte(image, byte) & ~bit);
  CheckReport leftover = checkImage(image);
  EXPECT_TRUE(leftover.clean()) << findingsText(leftover);
  EXPECT_TRUE(hasNote(leftover, "página 36: espacio recuperable: página que nadie usa")) << findingsText(leftover);
  // Page 31 (Table1's data) is used: mark it free.
  std::tie(byte, bit) = usageMapBit(image, 1u << 8, 31);
  setByte(image, byte, getByte(image, byte) | bit);
  CheckReport r = checkImage(image);
  EXPECT_TRUE(hasFinding(r, "página 31: página en uso (datos de tabla) marcada como libre")) << findingsText(r);

  // compIndexTestV1997's Table1 (definition on page 29) loses data page 31
  // from its usage map.
  std::string lost = corpusImage(kFile);
  std::tie(byte, bit) = usageMapBit(lost, getU32(lost, at(29, tdef::kUsageMap)), 31);
  setByte(lost, byte, getByte(lost, byte) & ~bit);
  CheckReport rows = checkImage(lost);
  EXPECT_TRUE(hasFinding(rows, "tabla Table1, página 31: página con filas de la tabla que su mapa de uso no incluye"))
      << findingsText(rows);
  EXPECT_FALSE(hasNote(rows, "página 31")) << findingsText(rows);
}

TEST(CheckerTest, IndexUsageMapThatDisagreesWithTheTreeIsReported) {
  REQUIRE_CORPUS();
  std::string image = corpusImage(kFile);
  const auto [byte, bit] = usageMapBit(image, 7682, 38);  // leaf 38 leaves the map
  setByte(image, byte, getByte(image, byte) & ~bit);
  CheckReport r = checkImage(image);
  EXPECT_TRUE(hasFinding(r, "página 38: página del árbol del índice que falta en su mapa de uso"))
      << findingsText(r);
}

TEST(CheckerTest, RowThatDoesNotDecodeIsReportedAndCheckingGoesOn) {
  REQUIRE_CORPUS();
  std::string image = corpusImage(kFile);
  setU16(image, at(31, data_page::kRowOffsets), 0x0005);  // slot 0 inside the header
  CheckReport r = checkImage(image);
  // Row 1 ends where row 0 starts, so both are lost.
  EXPECT_TRUE(hasFinding(r, "página 31, fila 0")) << findingsText(r);
  EXPECT_TRUE(hasFinding(r, "página 31, fila 1")) << findingsText(r);
  EXPECT_TRUE(hasNote(r, "estadística desactualizada: la definición anota 512 filas y hay 510")) << findingsText(r);
  EXPECT_TRUE(hasFinding(r, "página 31, fila 0: entrada de índice de más")) << findingsText(r);
}

TEST(CheckerTest, LongValueThatDoesNotDecodeIsReported) {
  REQUIRE_CORPUS();
  std::string image = corpusImage("testV1997.mdb");
  setByte(image, at(27, 0), 0x02);  // the long-value page becomes a TDEF page
  CheckReport r = checkImage(image);
  EXPECT_FALSE(r.clean());
  EXPECT_TRUE(hasFinding(r, "página 27")) << findingsText(r);
}

TEST(CheckerTest, DefinitionChainThatLoopsIsReported) {
  REQUIRE_CORPUS();
  std::string image = corpusImage("testV1997.mdb");
  setU32(image, at(44, tdef::kNextPage), 34);  // 34 -> 44 -> 34 -> ...
  CheckReport r = checkImage(image);
  EXPECT_TRUE(hasFinding(r, "página 44") || hasFinding(r, "página 34")) << findingsText(r);
  EXPECT_FALSE(r.clean());
}

TEST(CheckerTest, IndexEntriesOutOfOrderWithWrongKeysMissingOrExtraAreReported) {
  REQUIRE_CORPUS();
  {
    // MSysObjects.Id leaf: the third entry's key 7F 00 00 00 02 becomes ...00.
    std::string image = corpusImage(kFile);
    setByte(image, at(11, index_page::kFirstEntry + 2 * 9 + 4), 0x00);
    CheckReport r = checkImage(image);
    EXPECT_TRUE(hasFinding(r, "entradas de índice fuera de orden")) << findingsText(r);
    EXPECT_TRUE(hasFinding(r, "no coincide con los valores de la fila")) << findingsText(r);
  }
  {
    // The first entry now points at row 0x30 of its page, which has no row.
    std::string image = corpusImage(kFile);
    setByte(image, at(11, index_page::kFirstEntry + 8), 0x30);
    CheckReport r = checkImage(image);
    EXPECT_TRUE(hasFinding(r, "entrada de índice de más")) << findingsText(r);
    EXPECT_TRUE(hasFinding(r, "falta la entrada de índice de la fila")) << findingsText(r);
  }
}

// Access keeps neither count exact between compactions.
TEST(CheckerTest, RowAndEntryCountsThatDisagreeAreStaleStatistics) {
  REQUIRE_CORPUS();
  std::string image = corpusImage(kFile);
  setU32(image, at(29, tdef::kRowCount), 511);
  setU32(image, at(29, tdef::kIndexStats), 7);  // the first real index's entries
  CheckReport r = checkImage(image);
  EXPECT_TRUE(r.clean()) << findingsText(r);
  EXPECT_TRUE(hasNote(r, "tabla Table1, página 29: estadística desactualizada: la definición anota 511 filas y hay 512"))
      << findingsText(r);
  EXPECT_TRUE(hasNote(r, "estadística desactualizada: la definición anota 7 entradas de índice y el árbol tiene 512"))
      << findingsText(r);
}

TEST(CheckerTest, CatalogEntriesThatPointNowhereAreReported) {
  REQUIRE_CORPUS();
  std::string image = corpusImage(kFile);
  auto db = Database::openBytes(image);
  ASSERT_TRUE(db.ok());
  auto catalog = Catalog::read(**db);
  ASSERT_TRUE(catalog.ok());
  const CatalogEntry* table1 = catalog->findTable("Table1");
  ASSERT_NE(table1, nullptr);
  // Id and ParentId are the first fixed columns: right after the column count.
  const RowLocation loc = table1->location;
  const std::size_t slot = at(loc.page, data_page::kRowOffsets + loc.row * data_page::kSlotSize);
  const std::size_t row = at(loc.page, getU16(image, slot) & data_page::kOffsetMask);
  ASSERT_EQ(getU32(image, row + 1), 29u);
  setU32(image, row + 1, 31);           // Id: a data page, not a definition
  setU32(image, row + 5, 0x0F00FFFF);   // ParentId: no such container
  CheckReport r = checkImage(image);
  EXPECT_TRUE(hasFinding(r, "apunta a la página 31, que no es una definición de tabla")) << findingsText(r);
  EXPECT_TRUE(hasFinding(r, "contenedor que no existe")) << findingsText(r);
}

TEST(CheckerTest, FindingsBeyondTheCapAreCountedNotKept) {
  REQUIRE_CORPUS();
  std::string image = corpusImage(kFile);
  for (std::uint32_t p = 31; p < 36; ++p) setByte(image, at(p, 0), 0x04);
  auto db = Database::openBytes(image);
  ASSERT_TRUE(db.ok());
  CheckOptions options;
  options.maxFindings = 3;
  auto r = checkDatabase(**db, options);
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(r->findings.findings().size(), 3u);
  EXPECT_GT(r->findings.total(), 3u);
}

}  // namespace
}  // namespace jet
