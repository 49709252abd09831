#include "tests/support/mdbtools_compare.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "jet/model/catalog.h"
#include "jet/model/text.h"
#include "tests/support/corpus.h"
#include "tests/support/csv.h"
#include "tests/support/dump_compare.h"

namespace testing_support {
namespace {

namespace fs = std::filesystem;

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
  return s;
}

// Our Binary value cut the way mdb-export cuts it: before the first zero byte.
std::string cutAtZeroByte(const std::string& hex) {
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    if (hex[i] == '0' && hex[i + 1] == '0') return hex.substr(0, i);
  }
  return hex;
}

// mdb-export -b hex writes a Replication ID's text "{...}" as hex.
std::string fromHexText(const std::string& hex) {
  std::string out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  }
  return out;
}

}  // namespace

bool haveMdbExport() { return runCommand("command -v mdb-export >/dev/null 2>&1").status == 0; }

void expectDumpMatchesMdbExport(const std::filesystem::path& file, const jet::Table& table) {
  // Both readers take the table's name in UTF-8.
  const std::string name = jet::TextDecoder(fileSettings(file).codePage).toUtf8(table.name());
  SCOPED_TRACE(file.filename().string() + " " + name);
  const std::string quoted = shellQuote(file.string()) + " " + shellQuote(name);
  CommandOutput theirs =
      runCommand("MDB_JET3_CHARSET=CP" + std::to_string(fileSettings(file).codePage) + " mdb-export -T '%Y-%m-%d %H:%M:%S' -b hex " + quoted + " 2>/dev/null");
  ASSERT_EQ(theirs.status, 0);
  auto match = [](const CsvField& x, const CsvField& y, jet::ColumnType type) {
    if (type == jet::ColumnType::kBinary && !x.isNull()) {
      // A value cut to nothing comes out as an empty unquoted field.
      EXPECT_EQ(cutAtZeroByte(x.text), lower(y.text));
      return;
    }
    const bool emptyText = x.quoted && x.text.empty() && y.isNull();
    EXPECT_TRUE(x.isNull() == y.isNull() || emptyText) << x.text << " / " << y.text;
    if (type == jet::ColumnType::kOle) {
      EXPECT_EQ(x.text, lower(y.text));
    } else if (type == jet::ColumnType::kText || type == jet::ColumnType::kMemo) {
      EXPECT_EQ(x.text.substr(0, x.text.find('\0')), y.text);
    } else if (type == jet::ColumnType::kDouble || type == jet::ColumnType::kFloat) {
      // Doubles to the 15 digits both keep; Singles to 7 (mdb-export writes
      // 8, which do not always name the same float again).
      const bool single = type == jet::ColumnType::kFloat;
      EXPECT_TRUE(sameNumber(x.text, y.text, single, single ? 1e-7 : 1e-15))
          << x.text << " / " << y.text;
    } else if (type == jet::ColumnType::kGuid && !y.text.empty() && y.text[0] != '{') {
      auto noDashes = [](std::string t) {
        t.erase(std::remove(t.begin(), t.end(), '-'), t.end());
        return t;
      };
      EXPECT_EQ(noDashes(x.text), noDashes(fromHexText(y.text)));
    } else {
      EXPECT_EQ(x.text, y.text);
    }
  };
  expectSameRows(inBodyOrder(jetdbDump(file, name), table), parseCsv(theirs.out), table.definition().columns,
                 match);
}

void expectEveryTableMatchesMdbExport(const std::filesystem::path& file) {
  auto db = jet::Database::open(file, jet::Database::Access::kRead, fileSettings(file).password);
  ASSERT_TRUE(db) << db.error().toString();
  auto catalog = jet::Catalog::read(**db);
  ASSERT_TRUE(catalog) << catalog.error().toString();
  for (const jet::CatalogEntry* e : catalog->tables(true)) {
    auto table = jet::Table::open(**db, e);
    ASSERT_TRUE(table) << table.error().toString();
    expectDumpMatchesMdbExport(file, *table);
  }
}

}  // namespace testing_support
