// Long values in a generated file: a chained Memo or OLE value whose row
// loses it, whose chain breaks or loops, or whose page leaves its map (or
// sits in two columns' maps) is reported by the check at its place; the
// salvage takes a chain that does not end with its value as damaged.
#include <gtest/gtest.h>

#include "jet/format/data_page.h"
#include "jet/model/table.h"
#include "jet/salvage/salvage_reader.h"
#include "jet/write/generator.h"
#include "tests/support/check_image.h"
#include "tests/support/corpus.h"
#include "tests/support/damage.h"
#include "tests/support/database_layout.h"
#include "tests/support/open_table.h"

namespace jet {
namespace {

using namespace testing_support;

// A value chained over at least three long-value rows, the middle one alone
// on its page, and where the row that holds its reference lies.
struct Chain {
  std::uint16_t column = 0;        // the column's number
  std::uint32_t longValueMap = 0;  // its usage map
  std::uint32_t otherMap = 0;      // the usage map of another long-value column
  std::size_t nullBit = 0;         // offset of the column's null-mask byte
  std::uint8_t nullMask = 0;       // the column's bit in it
  std::vector<RowLocation> rows;   // the value's long-value rows, in order
  std::uint32_t tablePage = 0;     // the data page of the row
  // Where the row's field names the value (length, pointer, 4 more bytes), and
  // where an earlier row's field names another value of the column.
  std::size_t reference = 0, otherReference = 0;
};

Chain findChain(const std::string& image) {
  const OpenedTable opened = openTable(image, "Documentos");
  if (!opened) {
    ADD_FAILURE() << opened.error;
    return {};
  }
  const Table* table = &*opened.table;
  const TableDefinition& def = table->definition();
  RowCursor rows = table->rows();
  rows.trackLongValues(true);
  std::vector<std::size_t> seen(def.columns.size(), 0);  // each column's last field that names a value
  for (auto more = rows.next(); more && *more; more = rows.next()) {
    const auto [start, end] = rowRange(image, rows.bodyLocation().page, rows.bodyLocation().row);
    for (std::size_t k = 0; k < def.columns.size(); ++k) {
      Chain chain;
      for (const RowCursor::LongValueRow& u : rows.longValueRows()) {
        if (u.column == k) chain.rows.push_back(u.at);
      }
      if (chain.rows.empty()) continue;
      std::string pointer(4, '\0');
      setU32(pointer, 0, chain.rows[0].pointer());
      chain.reference = image.find(pointer, start) - 4;
      chain.otherReference = std::exchange(seen[k], chain.reference);
      if (chain.rows.size() < 3 || getU16(image, at(chain.rows[1].page, data_page::kRowCount)) != 1 ||
          chain.otherReference == 0) {
        continue;
      }
      chain.column = def.columns[k].number;
      for (const LongValueMaps& m : def.longValueMaps) {
        (m.column == chain.column ? chain.longValueMap : chain.otherMap) = m.usageMap;
      }
      // The null mask closes the row: bit k of it is column number k.
      chain.tablePage = rows.bodyLocation().page;
      chain.nullBit = end - (getByte(image, start) + 7) / 8 + chain.column / 8;
      chain.nullMask = static_cast<std::uint8_t>(1u << (chain.column % 8));
      return chain;
    }
  }
  ADD_FAILURE() << "no value chained over three rows";
  return {};
}

std::string where(RowLocation at) {
  return "página " + std::to_string(at.page) + ", fila " + std::to_string(at.row);
}

class LongValueTest : public ::testing::Test {
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
    ASSERT_NE(chain_.otherMap, 0u);
  }

  inline static std::string source_;  // the generated file, checked clean
  Chain chain_;
};

// Each case damages a copy along the chain and says what the check must say
// (as expectSays reads it).
using Want = std::vector<std::string>;
using ChainDamage = Want (*)(const Chain&, std::string&);

void linkFirstRowTo(const Chain& c, std::string& image, std::uint32_t pointer) {
  setU32(image, rowRange(image, c.rows[0].page, c.rows[0].row).start, pointer);
}

const std::pair<const char*, ChainDamage> kChainDamage[] = {
    {"the field turned NULL: its value's rows are used by nobody",
     [](const Chain& c, std::string& image) -> Want {
       setByte(image, c.nullBit, getByte(image, c.nullBit) & ~c.nullMask);
       Want want;
       for (RowLocation at : c.rows) {
         want.push_back(where(at) + ": valor largo de la columna " + std::to_string(c.column) +
                        " que ninguna fila usa");
       }
       return want;
     }},
    {"the field turned NULL and the middle page out of the map: nobody claims that page",
     [](const Chain& c, std::string& image) -> Want {
       setByte(image, c.nullBit, getByte(image, c.nullBit) & ~c.nullMask);
       markInMap(image, c.longValueMap, c.rows[1].page, false);
       return {std::string("nota: página ") + std::to_string(c.rows[1].page) +
                   ": espacio recuperable: página que nadie usa y que no está marcada como libre",
               std::string("-") + where(c.rows[1]) + ": valor largo"};
     }},
    {"the field turned NULL and the middle page made of 300 rows of a byte: the first and the "
     "last, past what a pointer names, are used by nobody",
     [](const Chain& c, std::string& image) -> Want {
       setByte(image, c.nullBit, getByte(image, c.nullBit) & ~c.nullMask);
       const std::uint32_t page = c.rows[1].page;
       constexpr std::uint16_t kRows = 300;
       setU16(image, at(page, data_page::kRowCount), kRows);
       setU16(image, at(page, data_page::kFreeSpace), kPageSize - data_page::kRowOffsets - 3 * kRows);
       for (std::uint16_t r = 0; r < kRows; ++r) {
         setU16(image, at(page, data_page::kRowOffsets + 2 * r), kPageSize - 1 - r);
       }
       const std::string row = "página " + std::to_string(page) + ", fila ";
       const std::string unused =
           ": valor largo de la columna " + std::to_string(c.column) + " que ninguna fila usa";
       return {row + "0" + unused, row + std::to_string(kRows - 1) + unused};
     }},
    {"the middle page out of the map while the value uses it",
     [](const Chain& c, std::string& image) -> Want {
       markInMap(image, c.longValueMap, c.rows[1].page, false);
       return {"está en la página " + std::to_string(c.rows[1].page) + ", que su mapa de valores"};
     }},
    {"the middle page in another column's map too",
     [](const Chain& c, std::string& image) -> Want {
       markInMap(image, c.otherMap, c.rows[1].page, true);
       return {"página " + std::to_string(c.rows[1].page) +
               ": página en los mapas de valores largos de las columnas"};
     }},
    {"a page of table rows in the map, which no value reaches",
     [](const Chain& c, std::string& image) -> Want {
       markInMap(image, c.longValueMap, c.tablePage, true);
       return {"página " + std::to_string(c.tablePage) + ": el mapa de valores largos de la"};
     }},
    {"an earlier row's field naming the value too: its rows are used by two values",
     [](const Chain& c, std::string& image) -> Want {
       image.replace(c.otherReference, 12, image.substr(c.reference, 12));
       return {where(c.rows[0]) + ": fila de valor largo usada por dos valores"};
     }},
    {"the first link back at its own row",
     [](const Chain& c, std::string& image) -> Want {
       linkFirstRowTo(c, image, c.rows[0].pointer());
       return {"la cadena de un valor largo forma un bucle"};
     }},
    {"the first link at the first page past the file",
     [](const Chain& c, std::string& image) -> Want {
       const auto past = static_cast<std::uint32_t>(image.size() / kTestPageSize);
       linkFirstRowTo(c, image, past << 8);
       return {"página " + std::to_string(past) + ", la página está fuera"};
     }},
    {"the first link at a row its page does not have",
     [](const Chain& c, std::string& image) -> Want {
       linkFirstRowTo(c, image, c.rows[1].pointer() | 0x7F);
       return {"fila inexistente"};
     }},
    {"the first link at a page of table rows",
     [](const Chain& c, std::string& image) -> Want {
       linkFirstRowTo(c, image, c.tablePage << 8);
       return {"no es de valores largos"};
     }},
};

TEST_F(LongValueTest, DamageAlongAChainIsReportedAtItsPlace) {
  for (const auto& [what, damage] : kChainDamage) {
    SCOPED_TRACE(what);
    std::string image = source_;
    const Want want = damage(chain_, image);
    expectSays(checkImage(image), want);
  }
}

// The last row of the chain points onward although the value ends there:
// the chain is no sound one, and the salvage says it lost the value's end.
TEST_F(LongValueTest, SalvageTakesAChainWhoseLastRowPointsOnwardAsDamaged) {
  std::string image = source_;
  const RowLocation last = chain_.rows.back();
  setU32(image, rowRange(image, last.page, last.row).start, chain_.rows[0].pointer());
  MemoryBytes bytes(image);
  auto reader = SalvageReader::open(bytes);
  ASSERT_TRUE(reader) << reader.error().toString();
  for (std::size_t t = 0; t < (*reader)->tables().size(); ++t) {
    SalvageRowCursor rows = (*reader)->rows(t);
    for (auto more = rows.next(); more && *more; more = rows.next()) {
    }
  }
  std::string problems;
  for (const Problem& p : (*reader)->problems().problems()) problems += p.where.toString() + "\n";
  EXPECT_NE(problems.find("la última fila de la cadena no acaba el valor"), std::string::npos) << problems;
}

}  // namespace
}  // namespace jet
