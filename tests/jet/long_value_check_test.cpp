// The check of long values (jet/check/long_value_check.cpp): in a generated
// file, a chained Memo or OLE value whose row loses it, whose chain breaks or
// loops, or whose page leaves its map is reported at its place.
#include <gtest/gtest.h>

#include "jet/check/checker.h"
#include "jet/format/data_page.h"
#include "jet/format/usage_map.h"
#include "jet/model/catalog.h"
#include "jet/model/table.h"
#include "jet/write/generator.h"
#include "tests/support/check_image.h"
#include "tests/support/corpus.h"
#include "tests/support/damage.h"
#include "tests/support/database_layout.h"

namespace jet {
namespace {

using namespace testing_support;

// A value chained over at least three long-value rows, the middle one alone
// on its page, and where the row that holds its reference lies.
struct Chain {
  std::uint16_t column = 0;          // the column's number
  std::uint32_t longValueMap = 0;    // its usage map
  std::size_t nullBit = 0;           // offset of the column's null-mask byte
  std::uint8_t nullMask = 0;         // the column's bit in it
  std::vector<RowLocation> rows;     // the value's long-value rows, in order
  std::uint32_t tablePage = 0;       // the data page of the row
};

std::uint16_t rowsOnPage(const std::string& image, std::uint32_t page) {
  return getU16(image, testing_support::at(page, data_page::kRowCount));
}

Chain findChain(const std::string& image) {
  auto db = Database::openBytes(image);
  auto catalog = db ? Catalog::read(**db) : Result<Catalog>(db.error());
  const CatalogEntry* entry = catalog ? catalog->findTable("Documentos") : nullptr;
  auto table = entry ? Table::open(**db, entry) : Result<Table>(Error::corrupt(-1, "Documentos"));
  if (!table) {
    ADD_FAILURE() << table.error().toString();
    return {};
  }
  const TableDefinition& def = table->definition();
  RowCursor rows = table->rows();
  rows.trackLongValues(true);
  for (auto more = rows.next(); more && *more; more = rows.next()) {
    for (std::size_t k = 0; k < def.columns.size(); ++k) {
      Chain chain;
      for (const RowCursor::LongValueRow& u : rows.longValueRows()) {
        if (u.column == k) chain.rows.push_back(u.at);
      }
      if (chain.rows.size() < 3 || rowsOnPage(image, chain.rows[1].page) != 1) continue;
      chain.column = def.columns[k].number;
      for (const LongValueMaps& m : def.longValueMaps) {
        if (m.column == chain.column) chain.longValueMap = m.usageMap;
      }
      // The null mask closes the row: bit k of it is column number k.
      chain.tablePage = rows.bodyLocation().page;
      const auto [start, end] = rowRange(image, rows.bodyLocation().page, rows.bodyLocation().row);
      const std::size_t maskSize = (getByte(image, start) + 7) / 8;
      chain.nullBit = end - maskSize + chain.column / 8;
      chain.nullMask = static_cast<std::uint8_t>(1u << (chain.column % 8));
      return chain;
    }
  }
  ADD_FAILURE() << "no value chained over three rows";
  return {};
}

class LongValueCheckTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    TempDir dir;
    auto made = generateDatabase(dir / "g.mdb", {1, 3, DateTime{45000}});
    ASSERT_TRUE(made) << made.error().toString();
    source_ = readFile(dir / "g.mdb");
  }

  void SetUp() override {
    ASSERT_TRUE(checkImage(source_).clean()) << findingsText(checkImage(source_));
    chain_ = findChain(source_);
    ASSERT_GE(chain_.rows.size(), 3u);
    image = source_;
  }

  std::size_t nextPointerOf(RowLocation at) const { return rowRange(source_, at.page, at.row).start; }
  std::string where(RowLocation at) const {
    return "página " + std::to_string(at.page) + ", fila " + std::to_string(at.row);
  }

  inline static std::string source_;  // the generated file, checked clean
  Chain chain_;
  std::string image;  // the copy each case damages
};

// The row's field turns NULL: its value's rows stay, used by nobody; once the
// middle page also leaves the column's map, nothing claims that page at all.
TEST_F(LongValueCheckTest, RowsAndPagesNoValueReachesAreReported) {
  setByte(image, chain_.nullBit, getByte(image, chain_.nullBit) & ~chain_.nullMask);
  CheckReport r = checkImage(image);
  for (RowLocation at : chain_.rows) {
    EXPECT_TRUE(hasFinding(r, where(at) + ": valor largo de la columna " +
                           std::to_string(chain_.column) + " que ninguna fila usa"))
        << where(at) << "\n" << findingsText(r);
  }
  const std::uint32_t middle = chain_.rows[1].page;
  const auto [byte, bit] = usageMapBit(image, chain_.longValueMap, middle);
  ASSERT_TRUE(getByte(image, byte) & bit);
  setByte(image, byte, getByte(image, byte) & ~bit);
  r = checkImage(image);
  EXPECT_TRUE(hasNote(r, "página " + std::to_string(middle) +
                      ": espacio recuperable: página que nadie usa y que no está marcada como libre"))
      << findingsText(r);
  EXPECT_FALSE(hasFinding(r, where(chain_.rows[1]) + ": valor largo")) << findingsText(r);
}

// The middle page leaves the map while the value still uses it.
TEST_F(LongValueCheckTest, ValueOnAPageOutsideItsMapIsReported) {
  const std::uint32_t middle = chain_.rows[1].page;
  const auto [byte, bit] = usageMapBit(image, chain_.longValueMap, middle);
  setByte(image, byte, getByte(image, byte) & ~bit);
  CheckReport r = checkImage(image);
  EXPECT_TRUE(hasFinding(r, "está en la página " + std::to_string(middle) +
                         ", que su mapa de valores largos no incluye"))
      << findingsText(r);
}

// The chain's first link points back at its own row, past the file, at a
// row its page does not have, or at a page of table rows.
TEST_F(LongValueCheckTest, ChainThatLoopsOrBreaksIsReported) {
  const std::size_t link = nextPointerOf(chain_.rows[0]);
  const std::uint32_t pages = static_cast<std::uint32_t>(image.size() / kTestPageSize);
  const struct {
    std::uint32_t pointer;
    std::string finding;
  } cases[] = {
      {chain_.rows[0].pointer(), "la cadena de un valor largo forma un bucle"},
      {(pages + 3) << 8, "página " + std::to_string(pages + 3) + ", la página está fuera"},
      {chain_.rows[1].pointer() | 0x7F, "fila inexistente"},
      {chain_.tablePage << 8, "no es de valores largos"},
  };
  for (const auto& c : cases) {
    image = source_;
    setU32(image, link, c.pointer);
    CheckReport r = checkImage(image);
    EXPECT_TRUE(hasFinding(r, c.finding)) << c.pointer << "\n" << findingsText(r);
  }
}

}  // namespace
}  // namespace jet
