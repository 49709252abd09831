// The salvage reader on sound files reads exactly what the reader reads and
// meets no problem, and it refuses the values Jet 3 would refuse. (What it
// keeps of damaged copies is measured through the repair, which reads them
// with it: repair_test.cpp.)
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "jet/model/catalog.h"
#include "jet/model/table.h"
#include "jet/salvage/salvage_reader.h"
#include "jet/salvage/value_check.h"
#include "jet/salvage/value_text.h"
#include "jet/format/table_definition.h"
#include "tests/support/corpus.h"
#include "tests/support/damage.h"
#include "tests/support/database_layout.h"
#include "tests/support/recovery.h"

namespace jet {
namespace {

using namespace testing_support;

std::string describe(const ProblemList& problems) {
  std::string s;
  for (const Problem& p : problems.problems()) s += std::to_string(p.code) + " " + p.where.toString() + "\n";
  return s;
}

// Every row of every table the reader found, by name.
RecoveredRows salvageAll(SalvageReader& reader) {
  RecoveredRows out;
  for (std::size_t i = 0; i < reader.tables().size(); ++i) {
    auto& rows = out[reader.tables()[i].name()];
    SalvageRowCursor cursor = reader.rows(i);
    while (true) {
      auto more = cursor.next();
      EXPECT_TRUE(more.ok()) << more.error().toString();
      if (!more.ok() || !*more) break;
      rows.push_back(cursor.values());
    }
  }
  return out;
}

// Values Jet 3 would refuse are those past their column's limits, and no
// other: text beyond its length (twice that in a double-byte code page),
// binary beyond its length, dates outside the years 100 to 9999, numbers
// that are not finite. The problem shows a short refused value in full.
TEST(SalvageReaderTest, ValuesBeyondTheirColumnsLimitsAreRefused) {
  auto column = [](ColumnType type, std::uint16_t length) {
    ColumnDef c;
    c.type = type;
    c.typeCode = static_cast<std::uint8_t>(type);
    c.length = length;
    return c;
  };
  const double kFirstDay = -657434.0, kDayAfterLast = 2958466.0;
  struct Case {
    ColumnDef column;
    Value value;
    std::uint16_t codePage;  // text's limit is twice its length in a double-byte one
    int refused;  // the error number, 0 when accepted
  };
  const Case cases[] = {
      {column(ColumnType::kText, 4), Text{"abcd"}, 1252, 0},
      {column(ColumnType::kText, 4), Text{"abcde"}, 1252, errc::kFieldTooSmall},
      {column(ColumnType::kText, 4), Text{"abcdefgh"}, 932, 0},
      {column(ColumnType::kText, 4), Text{"abcdefghi"}, 932, errc::kFieldTooSmall},
      {column(ColumnType::kText, 4), Text{"abcdefgh"}, 950, 0},
      {column(ColumnType::kText, 4), Text{"abcdefgh"}, 1256, errc::kFieldTooSmall},
      {column(ColumnType::kBinary, 2), Binary{{std::byte{1}, std::byte{2}}}, 1252, 0},
      {column(ColumnType::kBinary, 2), Binary{std::vector<std::byte>(3)}, 1252, errc::kFieldTooSmall},
      {column(ColumnType::kDateTime, 8), DateTime{kFirstDay}, 1252, 0},
      {column(ColumnType::kDateTime, 8), DateTime{kFirstDay - 0.5}, 1252, errc::kNumericOverflow},
      {column(ColumnType::kDateTime, 8), DateTime{kDayAfterLast - 0.5}, 1252, 0},
      {column(ColumnType::kDateTime, 8), DateTime{kDayAfterLast}, 1252, errc::kNumericOverflow},
      {column(ColumnType::kDateTime, 8), DateTime{std::nan("")}, 1252, errc::kNumericOverflow},
      {column(ColumnType::kFloat, 4), std::numeric_limits<float>::infinity(), 1252, errc::kNumericOverflow},
      {column(ColumnType::kDouble, 8), std::nan(""), 1252, errc::kNumericOverflow},
      {column(ColumnType::kDouble, 8), 1e300, 1252, 0},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const auto r = refusedValue(cases[i].column, cases[i].value, isDoubleByteCodePage(cases[i].codePage));
    EXPECT_EQ(r ? r->code : 0, cases[i].refused) << "case " << i;
  }
  EXPECT_EQ(describeValue(Binary{{std::byte{1}, std::byte{0xAB}}}, TextDecoder(1252)), "0x01ab");
}

// Every corpus file, the real-world ones included: the salvage reads every
// row the reader reads (Access's own rows, whatever bits it leaves set) and
// loses nothing; the library's files meet no problem at all.
TEST(SalvageReaderTest, SoundCorpusFilesGiveEveryRowAndLoseNothing) {
  REQUIRE_CORPUS();
  const std::vector<std::filesystem::path> library = corpusFiles();
  for (const auto& path : allCorpusFiles()) {
    SCOPED_TRACE(path.filename().string());
    const std::string image = readFile(path);
    MemoryBytes bytes(image);
    auto reader = SalvageReader::open(bytes);
    if (!reader.ok() && reader.error().number() == errc::kBadPassword) continue;
    ASSERT_TRUE(reader.ok()) << reader.error().toString();
    RecoveredRows salvaged = salvageAll(**reader);
    EXPECT_FALSE((*reader)->problems().anyLoss()) << describe((*reader)->problems());
    EXPECT_TRUE(std::find(library.begin(), library.end(), path) == library.end() ||
                (*reader)->problems().empty()) << describe((*reader)->problems());
    EXPECT_FALSE((*reader)->headerRestored());

    auto db = Database::openBytes(image);
    ASSERT_TRUE(db.ok());
    auto catalog = Catalog::read(**db);
    ASSERT_TRUE(catalog.ok());
    EXPECT_EQ((*reader)->tables().size(), catalog->tables(true).size());
    for (const CatalogEntry* e : catalog->tables(true)) {
      auto table = Table::open(**db, e);
      // A definition the reader cannot take yet is not the salvage's to judge.
      if (!table.ok()) continue;
      const auto& got = salvaged[e->name];
      RowCursor rows = table->rows();
      std::size_t i = 0;
      for (auto more = rows.next(); more.ok() && *more; more = rows.next(), ++i) {
        ASSERT_LT(i, got.size()) << e->name;
        ASSERT_EQ(got[i].size(), rows.values().size());
        for (std::size_t k = 0; k < got[i].size(); ++k) {
          EXPECT_TRUE(sameValue(got[i][k], rows.values()[k])) << e->name << " row " << i << " column " << k;
        }
      }
      EXPECT_EQ(i, got.size()) << e->name;
    }
  }
}

// A usage map the definition names past the end of the file is damage
// that cost rows (the file was cut short); one named at a row the file has
// not loses nothing: the table's pages are found by their headers.
TEST(SalvageReaderTest, AUsageMapPastTheFileLosesRowsOneMissingInItDoesNot) {
  REQUIRE_CORPUS();
  const std::string original = readFile(corpusFile("testV1997.mdb"));
  const DatabaseLayout layout = describeDatabase(original);
  const TableLayout& table = *layout.userTables().front();
  for (const auto& [page, lost] : {std::pair{layout.pageCount, true}, {layout.pageCount - 1, false}}) {
    std::string image = original;
    setU32(image, at(table.tdef, tdef::kUsageMap), page << 8 | 0xFF);
    MemoryBytes bytes(image);
    auto reader = SalvageReader::open(bytes);
    ASSERT_TRUE(reader.ok()) << reader.error().toString();
    EXPECT_EQ((*reader)->problems().lost(Loss::kRow) > 0, lost)
        << page << ": " << describe((*reader)->problems());
  }
}

// A file damaged everywhere keeps problems up to a cap, the rest counted, their losses too.
TEST(SalvageReaderTest, ProblemsPastTheCapAreCountedNotKept) {
  ProblemList list(2);
  for (int page = 1; page <= 3; ++page) list.add(errc::kCorrupt, "T", page, -1, "x", Loss::kRow, 2);
  EXPECT_EQ(list.problems().size(), 2u);
  EXPECT_EQ(list.lost(Loss::kRow), 6u);
}

}  // namespace
}  // namespace jet
