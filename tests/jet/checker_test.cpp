// The structural check: a copy of a corpus file with one kind of damage is
// not clean, with a finding that names the place. (That every corpus file
// checks clean is the repair's promise to leave it alone: repair_test.cpp.)
#include <gtest/gtest.h>

#include <functional>

#include "jet/check/checker.h"
#include "jet/check/page_owners.h"
#include "jet/format/data_page.h"
#include "jet/format/index_page.h"
#include "jet/format/table_definition.h"
#include "jet/format/usage_map.h"
#include "jet/model/catalog.h"
#include "jet/model/database.h"
#include "tests/support/check_image.h"
#include "tests/support/corpus.h"
#include "tests/support/damage.h"
#include "tests/support/database_layout.h"

namespace jet {
namespace {

using namespace testing_support;

// compIndexTestV1997: table "Table1" has its TDEF on page 29, data pages 31,
// 35, ..., one descending index (root 36, leaves 37-39, usage map 30/2).
// MSysObjects' "Id" index is the leaf on page 11 (9-byte entries, no prefix).
const char* const kFile = "compIndexTestV1997.mdb";

// One kind of damage made to a copy of a corpus file, and what the check
// must then say (as expectSays reads it: findings of damage, and notes of
// what Access leaves), and whether it finds no damage at all.
struct DamageCase {
  const char* name;
  const char* file;
  std::function<void(std::string&)> damage;
  std::vector<std::string> said;
  bool clean = false;
};

void PrintTo(const DamageCase& c, std::ostream* os) { *os << c.name; }

const DamageCase kDamage[] = {
    {"DataPageOfTheWrongTypeLosesItsRows", kFile,
     [](std::string& image) { setByte(image, at(31, 0), index_page::kTypeLeaf); },
     {"página 31", "entrada de índice de más"}},
    // Table1's index root (after its first page, 7682) now names
    // MSysObjects' Id leaf, whose page 36 nobody uses any more.
    {"PageClaimedTwice", kFile,
     [](std::string& image) {
       for (std::size_t off = 0x2B; off + 4 <= kPageSize; ++off) {
         if (getU32(image, at(29, off)) == 36 && getU32(image, at(29, off - 4)) == 7682) {
           setU32(image, at(29, off), 11);
         }
       }
     },
     {"reclamada dos veces: como índice y como índice de MSysObjects", "pertenece a la tabla de la página 2",
      "nota: página 36: espacio recuperable: página que nadie usa"}},
    // A page nothing uses and not marked free is space Access leaves...
    {"UnusedPageNotMarkedFreeIsANote", "testV1997.mdb",
     [](std::string& image) { markInMap(image, 1u << 8, 36, false); },
     {"nota: página 36: espacio recuperable: página que nadie usa"},
     true},
    // ... a page in use marked free is damage, the header page too ...
    {"PageInUseMarkedFree", "testV1997.mdb",
     [](std::string& image) {
       for (std::uint32_t page : {0, 31}) markInMap(image, 1u << 8, page, true);
     },
     {"página 31: página en uso (datos de tabla) marcada como libre",
      "página 0: página en uso (cabecera) marcada como libre"}},
    // ... and so is one with rows of a table whose usage map lost it.
    {"DataPageMissingFromItsTablesMap", kFile,
     [](std::string& image) {
       markInMap(image, getU32(image, at(29, tdef::kUsageMap)), 31, false);
     },
     {"tabla Table1, página 31: página con filas de la tabla que su mapa de uso no incluye",
      "-nota: página 31"}},
    {"IndexPageMissingFromItsMap", kFile,
     [](std::string& image) { markInMap(image, 7682, 38, false); },
     {"página 38: página del árbol del índice que falta en su mapa de uso"}},
    // Slot 0 points inside the header; row 1 ends where row 0 starts, so
    // both are lost, and checking goes on.
    {"RowsThatDoNotDecode", kFile,
     [](std::string& image) { setU16(image, at(31, data_page::kRowOffsets), 0x0005); },
     {"página 31, fila 0: entrada de índice de más", "página 31, fila 1",
      "nota: estadística desactualizada: la definición anota 512 filas y hay 510"}},
    {"LongValuePageOfTheWrongType", "testV1997.mdb",
     [](std::string& image) { setByte(image, at(27, 0), 0x02); },
     {"página 27"}},
    {"DefinitionChainThatLoops", "testV1997.mdb",
     [](std::string& image) { setU32(image, at(44, tdef::kNextPage), 34); },  // 34 -> 44 -> 34
     {"tabla Table2, página 34: la cadena de páginas de la definición de tabla forma un bucle"}},
    // MSysObjects.Id leaf: the third entry's key 7F 00 00 00 02 becomes ...00.
    {"IndexEntriesOutOfOrderWithWrongKeys", kFile,
     [](std::string& image) { setByte(image, at(11, index_page::kFirstEntry + 2 * 9 + 4), 0x00); },
     {"entradas de índice fuera de orden", "no coincide con los valores de la fila"}},
    // The first entry now points at row 0x30 of its page, which has no row.
    {"IndexEntryMissingOrExtra", kFile,
     [](std::string& image) { setByte(image, at(11, index_page::kFirstEntry + 8), 0x30); },
     {"entrada de índice de más", "falta la entrada de índice de la fila"}},
    // Access keeps neither count exact between compactions.
    {"RowAndEntryCountsThatDisagreeAreStaleStatistics", kFile,
     [](std::string& image) {
       setU32(image, at(29, tdef::kRowCount), 511);
       setU32(image, at(29, tdef::kIndexStats), 7);  // the first real index's entries
     },
     {"nota: tabla Table1, página 29: estadística desactualizada: la definición anota 511 filas y hay 512",
      "nota: estadística desactualizada: la definición anota 7 entradas de índice y el árbol tiene 512"},
     true},
    // Table1's catalog row: Id names a data page, ParentId no container (they
    // are the first fixed columns, right after the column count).
    {"CatalogEntriesThatPointNowhere", kFile,
     [](std::string& image) {
       const RowLocation table1 = describeDatabase(image).table("Table1")->catalogRow;
       const std::size_t start = rowRange(image, table1.page, table1.row).start;
       ASSERT_EQ(getU32(image, start + 1), 29u);
       setU32(image, start + 1, 31);
       setU32(image, start + 5, 0x0F00FFFF);
     },
     {"apunta a la página 31, que no es una definición de tabla", "contenedor que no existe"}},
    // A catalog column of another type reads as no value (system tables as user tables).
    {"CatalogColumnOfAnotherType", kFile,
     [](std::string& image) {
       auto t = readTableDefinition((*Database::openBytes(image))->pages(), 2);
       const auto flags = static_cast<std::size_t>(columnIndex(*t, "Flags"));
       const std::size_t first = tdef::kIndexStats + t->realIndexes.size() * tdef::kIndexStatsSize;
       setByte(image, at(2, first + flags * column_block::kSize + column_block::kType), 0);
     },
     {"tabla MSysObjects, página 2: la columna Flags de MSysObjects no es de su tipo"}},
};

class CheckDamage : public ::testing::TestWithParam<DamageCase> {};

TEST_P(CheckDamage, IsReportedAtItsPlaceAndLeftoversAsNotes) {
  REQUIRE_CORPUS();
  const DamageCase& c = GetParam();
  std::string image = corpusImage(c.file);
  c.damage(image);
  const CheckReport r = checkImage(image);
  EXPECT_EQ(r.clean(), c.clean) << findingsText(r);
  expectSays(r, c.said);
}

INSTANTIATE_TEST_SUITE_P(Kinds, CheckDamage, ::testing::ValuesIn(kDamage),
                         [](const auto& row) { return std::string(row.param.name); });

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

}  // namespace
}  // namespace jet
