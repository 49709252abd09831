// The structural check: every corpus file is clean, and a copy with one kind
// of damage is not, with a finding that names the place.
#include <gtest/gtest.h>

#include "jet/check/checker.h"
#include "jet/format/data_page.h"
#include "jet/format/index_page.h"
#include "jet/format/table_definition.h"
#include "jet/format/usage_map.h"
#include "jet/model/catalog.h"
#include "tests/support/corpus.h"
#include "tests/support/damage.h"

namespace jet {
namespace {

using testing_support::at;
using testing_support::corpusImage;
using testing_support::getU16;
using testing_support::getU32;
using testing_support::setByte;
using testing_support::setU16;
using testing_support::setU32;

// compIndexTestV1997: table "Table1" has its TDEF on page 29, data pages 31,
// 35, ..., one descending index (root 36, leaves 37-39, usage map 30/2).
// MSysObjects' "Id" index is the leaf on page 11 (9-byte entries, no prefix).
const char* const kFile = "compIndexTestV1997.mdb";

CheckReport check(const std::string& image) {
  auto db = Database::openBytes(image, "dañada");
  EXPECT_TRUE(db.ok()) << db.error().toString();
  auto report = checkDatabase(**db);
  EXPECT_TRUE(report.ok());
  return std::move(report).value();
}

// True iff some finding's text (place included) contains `text`.
bool has(const CheckReport& r, const std::string& text) {
  for (const Finding& f : r.findings.findings()) {
    if (f.toString().find(text) != std::string::npos) return true;
  }
  return false;
}

std::string dump(const CheckReport& r) {
  std::string s;
  for (const Finding& f : r.findings.findings()) s += f.toString() + "\n";
  return s;
}

// Offset in the file of the bitmap bit for `page` in the inline usage map
// that `pointer` names (type 0 maps only).
std::size_t mapBit(const std::string& image, std::uint32_t pointer, std::uint32_t page, int& bit) {
  const RowLocation loc = RowLocation::fromPointer(pointer);
  const std::size_t slot = at(loc.page, data_page::kRowOffsets + loc.row * data_page::kSlotSize);
  const std::size_t row = at(loc.page, getU16(image, slot) & data_page::kOffsetMask);
  EXPECT_EQ(image[row + usage_map::kType], char(usage_map::kInline));
  const std::uint32_t first = getU32(image, row + usage_map::kStartPage);
  bit = static_cast<int>((page - first) % 8);
  return row + usage_map::kInlineBitmap + (page - first) / 8;
}

TEST(CheckerTest, EveryCorpusFileIsClean) {
  REQUIRE_CORPUS();
  for (const auto& path : testing_support::corpusFiles()) {
    CheckReport r = check(testing_support::readFile(path));
    EXPECT_TRUE(r.clean()) << path.filename() << "\n" << dump(r);
    EXPECT_GT(r.tables, 5u);
    EXPECT_GT(r.indexEntries, 90u);
  }
}

TEST(CheckerTest, DataPageOfTheWrongTypeIsReported) {
  REQUIRE_CORPUS();
  std::string image = corpusImage(kFile);
  setByte(image, at(31, 0), index_page::kTypeLeaf);
  CheckReport r = check(image);
  EXPECT_TRUE(has(r, "página 31")) << dump(r);
  EXPECT_TRUE(has(r, "entrada de índice de más")) << dump(r);  // its rows are gone
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
  CheckReport r = check(image);
  EXPECT_TRUE(has(r, "reclamada dos veces")) << dump(r);
  EXPECT_TRUE(has(r, "pertenece a la tabla de la página 2")) << dump(r);
  EXPECT_TRUE(has(r, "página 36: página que nadie usa")) << dump(r);
}

TEST(CheckerTest, FreePageMapThatDisagreesIsReportedBothWays) {
  REQUIRE_CORPUS();
  std::string image = corpusImage("testV1997.mdb");
  int bit = 0;
  // Page 36 (a stale definition) is free: mark it used.
  std::size_t byte = mapBit(image, 1u << 8, 36, bit);
  setByte(image, byte, static_cast<std::uint8_t>(image[byte] & ~(1 << bit)));
  // Page 31 (Table1's data) is used: mark it free.
  byte = mapBit(image, 1u << 8, 31, bit);
  setByte(image, byte, static_cast<std::uint8_t>(image[byte] | (1 << bit)));
  CheckReport r = check(image);
  EXPECT_TRUE(has(r, "página 36: página que nadie usa")) << dump(r);
  EXPECT_TRUE(has(r, "página 31: página en uso (datos de tabla) marcada como libre")) << dump(r);
}

TEST(CheckerTest, IndexUsageMapThatDisagreesWithTheTreeIsReported) {
  REQUIRE_CORPUS();
  std::string image = corpusImage(kFile);
  int bit = 0;
  const std::size_t byte = mapBit(image, 7682, 38, bit);  // leaf 38 leaves the map
  setByte(image, byte, static_cast<std::uint8_t>(image[byte] & ~(1 << bit)));
  CheckReport r = check(image);
  EXPECT_TRUE(has(r, "página 38: página del árbol del índice que falta en su mapa de uso"))
      << dump(r);
}

TEST(CheckerTest, RowThatDoesNotDecodeIsReportedAndCheckingGoesOn) {
  REQUIRE_CORPUS();
  std::string image = corpusImage(kFile);
  setU16(image, at(31, data_page::kRowOffsets), 0x0005);  // slot 0 inside the header
  CheckReport r = check(image);
  // Row 1 ends where row 0 starts, so both are lost.
  EXPECT_TRUE(has(r, "página 31, fila 0")) << dump(r);
  EXPECT_TRUE(has(r, "página 31, fila 1")) << dump(r);
  EXPECT_TRUE(has(r, "la definición anota 512 filas y hay 510")) << dump(r);
  EXPECT_TRUE(has(r, "página 31, fila 0: entrada de índice de más")) << dump(r);
}

TEST(CheckerTest, LongValueThatDoesNotDecodeIsReported) {
  REQUIRE_CORPUS();
  std::string image = corpusImage("testV1997.mdb");
  setByte(image, at(27, 0), 0x02);  // the long-value page becomes a TDEF page
  CheckReport r = check(image);
  EXPECT_FALSE(r.clean());
  EXPECT_TRUE(has(r, "página 27")) << dump(r);
}

TEST(CheckerTest, DefinitionChainThatLoopsIsReported) {
  REQUIRE_CORPUS();
  std::string image = corpusImage("testV1997.mdb");
  setU32(image, at(44, tdef::kNextPage), 34);  // 34 -> 44 -> 34 -> ...
  CheckReport r = check(image);
  EXPECT_TRUE(has(r, "página 44") || has(r, "página 34")) << dump(r);
  EXPECT_FALSE(r.clean());
}

TEST(CheckerTest, IndexEntriesOutOfOrderWithWrongKeysMissingOrExtraAreReported) {
  REQUIRE_CORPUS();
  {
    // MSysObjects.Id leaf: the third entry's key 7F 00 00 00 02 becomes ...00.
    std::string image = corpusImage(kFile);
    setByte(image, at(11, index_page::kFirstEntry + 2 * 9 + 4), 0x00);
    CheckReport r = check(image);
    EXPECT_TRUE(has(r, "entradas de índice fuera de orden")) << dump(r);
    EXPECT_TRUE(has(r, "no coincide con los valores de la fila")) << dump(r);
  }
  {
    // The first entry now points at row 0x30 of its page, which has no row.
    std::string image = corpusImage(kFile);
    setByte(image, at(11, index_page::kFirstEntry + 8), 0x30);
    CheckReport r = check(image);
    EXPECT_TRUE(has(r, "entrada de índice de más")) << dump(r);
    EXPECT_TRUE(has(r, "falta la entrada de índice de la fila")) << dump(r);
  }
}

TEST(CheckerTest, RowCountThatDisagreesIsReported) {
  REQUIRE_CORPUS();
  std::string image = corpusImage(kFile);
  setU32(image, at(29, tdef::kRowCount), 511);
  CheckReport r = check(image);
  EXPECT_TRUE(has(r, "la definición anota 511 filas y hay 512")) << dump(r);
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
  CheckReport r = check(image);
  EXPECT_TRUE(has(r, "apunta a la página 31, que no es una definición de tabla")) << dump(r);
  EXPECT_TRUE(has(r, "contenedor que no existe")) << dump(r);
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
