// The structural check: a copy of a corpus file with one kind of damage is
// not clean, with a finding that names the place. (That every corpus file
// checks clean is the repair's promise to leave it alone: repair_test.cpp.)
//
// The check reads its tables on several threads at once: its report must not
// depend on how many, nor on which table finishes first.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

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
#include "tests/support/damage_generator.h"
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
    // A page in use marked free is damage, the header page too ...
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
    // One whose rows were all deleted is space to reclaim: page 36, a stale
    // definition, made a page of page 31's table whose one row is deleted,
    // no longer marked free.
    {"EmptiedDataPageNobodyUsesIsANote", "testV1997.mdb",
     [](std::string& image) {
       image.replace(at(36, 0), kPageSize, std::string(kPageSize, '\0'));
       setByte(image, at(36, 0), data_page::kPageType);
       setU32(image, at(36, data_page::kOwner), getU32(image, at(31, data_page::kOwner)));
       setU16(image, at(36, data_page::kRowCount), 1);
       setU16(image, at(36, data_page::kRowOffsets), data_page::kDeleted | (kPageSize - 8));
       markInMap(image, 1u << 8, 36, false);
     },
     {"nota: página 36: espacio recuperable: página que nadie usa"},
     true},
    {"IndexPageMissingFromItsMap", kFile,
     [](std::string& image) { markInMap(image, 7682, 38, false); },
     {"página 38: página del árbol del índice que falta en su mapa de uso"}},
    // Slot 0 points inside the header; row 1 ends where row 0 starts, so
    // both are lost, and checking goes on.
    {"RowsThatDoNotDecode", kFile,
     [](std::string& image) { setU16(image, at(31, data_page::kRowOffsets), 0x0005); },
     {"página 31, fila 0: entrada de índice de más", "página 31, fila 1",
      "nota: estadística desactualizada: la definición anota 512 filas y hay 510"}},
    // Row 1's slot (0x0C) takes row 0's offset (slot 0x0A): it ends where it starts.
    {"EmptyRow", kFile, [](std::string& image) { setU16(image, at(31, 0x0C), getU16(image, at(31, 0x0A))); },
     {"página 31, fila 1: fila dañada: vacía"}},
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

// A map whose bitmap pages are all damaged is reported eight times, then no
// further: the map of Table1's index (row 30/2) made a page-referenced one
// naming data page 31 in each of its 33 places.
TEST(CheckerTest, AMapOfDamagedBitmapPagesIsReportedEightTimesThenLeft) {
  REQUIRE_CORPUS();
  std::string image = corpusImage(kFile);
  const ByteRange row = rowRange(image, 30, 2);
  setByte(image, row.start, usage_map::kReferenced);
  for (std::size_t off = row.start + 1; off + 4 <= row.end; off += 4) setU32(image, off, 31);
  const CheckReport r = checkImage(image);
  const auto said = std::ranges::count_if(r.findings.findings(), [](const Finding& f) {
    return f.message.starts_with("mapa de uso del índice: ");
  });
  EXPECT_EQ(said, 8) << findingsText(r);
}

// Only map rows of any objects, and long values of one table, share a page;
// every other second claim is reported, and so is a page past the file.
TEST(CheckerTest, OnlyMapRowsAndOneTablesLongValuesShareAPage) {
  struct Case { PageUse first, second; std::uint32_t secondOwner; bool reported; };
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

// What a report says: findings and notes in order, what was dropped, and the counts.
struct Said {
  std::vector<std::string> findings;
  std::vector<std::string> notes;
  std::uint64_t dropped = 0;  // findings and notes
  std::string counts;
  bool operator==(const Said&) const = default;
};

Said check(const std::string& image, const std::string& password, std::size_t cap, unsigned threads) {
  Said said;
  auto db = Database::openBytes(image, "dañada", password);
  auto r = db ? checkDatabase(**db, {cap, threads}) : Result<CheckReport>(db.error());
  if (!r) {
    said.counts = r.error().toString();
    return said;
  }
  for (const Finding& f : r->findings.findings()) said.findings.push_back(f.toString());
  for (const Finding& f : r->notes.findings()) said.notes.push_back(f.toString());
  said.dropped = r->findings.dropped() + r->notes.dropped();
  for (std::uint64_t n : {r->findings.total(), r->notes.total(), r->tables, r->rows, r->indexes,
                          r->indexEntries}) said.counts += std::to_string(n) + " ";
  return said;
}

// The first `n` of `all`.
std::vector<std::string> first(const std::vector<std::string>& all, std::size_t n) {
  return {all.begin(), all.begin() + static_cast<std::ptrdiff_t>(std::min(n, all.size()))};
}

// Every corpus file, sound and with damage of one kind (each kind in turn),
// checked on one thread and on three; and with only two findings and notes
// kept, which must be the first two, the rest still counted.
TEST(CheckThreads, TheReportIsTheSameOnOneThreadAsOnSeveral) {
  const auto files = allCorpusFiles();
  if (files.empty()) GTEST_SKIP() << "no corpus folder";
  std::size_t damaged = 0;
  for (std::size_t i = 0; i < files.size(); ++i) {
    const std::string password = fileSettings(files[i]).password;
    std::string image = readFile(files[i]);
    const auto kind = kAllDamageKinds[i % std::size(kAllDamageKinds)];
    for (bool damage : {false, true}) {
      // The damage generator reads the layout of files without a password.
      if (damage && (!password.empty() || !applyDamage(image, kind, i).applied)) continue;
      SCOPED_TRACE(files[i].filename().string() + (damage ? " with damage" : ""));
      damaged += damage;
      const Said all = check(image, password, 500, 1);
      EXPECT_EQ(all, check(image, password, 500, 3));
      const Said two = check(image, password, 2, 3);
      EXPECT_EQ(two, check(image, password, 2, 1));
      EXPECT_EQ(two.findings, first(all.findings, 2));
      EXPECT_EQ(two.notes, first(all.notes, 2));
      EXPECT_EQ(two.counts, all.counts);
    }
  }
  EXPECT_GT(damaged, files.size() / 2);
}

}  // namespace
}  // namespace jet
