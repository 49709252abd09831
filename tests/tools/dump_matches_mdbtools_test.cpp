// The proof of the reader: for every corpus file and every table, system
// tables included, `jetdb dump` gives the values that mdbtools' mdb-export
// reads. Only notation is normalised:
//   - mdb-export is asked for our date notation (-T) and hex binary (-b hex);
//     it writes hex in upper case, we in lower case;
//   - mdb-export quotes every text field; we quote only where RFC 4180 needs
//     it, so quoting is compared only where it tells NULL from "";
//   - mdb-export writes a Binary column's bytes only up to the first zero
//     byte (it handles them as a C string), and nothing at all when the value
//     starts with one; so our value is cut the same way before comparing.
//     Text and Memo values likewise end, for mdb-export, at a zero byte (one
//     query's SQL text in the corpus holds a trailing zero byte).
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "jet/model/catalog.h"
#include "jet/model/table.h"
#include "tests/support/corpus.h"
#include "tests/support/csv.h"
#include "tests/support/encrypt.h"

namespace {

using namespace testing_support;

bool haveMdbExport() { return runCommand("command -v mdb-export >/dev/null 2>&1").status == 0; }

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

void compareTable(const std::filesystem::path& file, const jet::Table& table) {
  SCOPED_TRACE(file.filename().string() + " " + table.name());
  const std::string quoted = shellQuote(file.string()) + " " + shellQuote(table.name());
  CommandOutput ours = runCommand(shellQuote(jetdbPath().string()) + " dump " + quoted);
  CommandOutput theirs =
      runCommand("mdb-export -T '%Y-%m-%d %H:%M:%S' -b hex " + quoted + " 2>/dev/null");
  ASSERT_EQ(ours.status, 0);
  ASSERT_EQ(theirs.status, 0);
  std::vector<CsvRow> a = parseCsv(ours.out), b = parseCsv(theirs.out);
  ASSERT_FALSE(a.empty());
  ASSERT_EQ(a.size(), b.size()) << "row count";
  const auto& columns = table.definition().columns;
  for (std::size_t r = 0; r < a.size(); ++r) {
    ASSERT_EQ(a[r].size(), columns.size()) << "row " << r;
    ASSERT_EQ(b[r].size(), columns.size()) << "row " << r;
    for (std::size_t c = 0; c < columns.size(); ++c) {
      const CsvField& x = a[r][c];
      const CsvField& y = b[r][c];
      SCOPED_TRACE("row " + std::to_string(r) + " column " + columns[c].name);
      if (r == 0) {
        EXPECT_EQ(x.text, y.text);
        continue;
      }
      const jet::ColumnType type = columns[c].type;
      if (type == jet::ColumnType::kBinary && !x.isNull()) {
        // A value cut to nothing comes out as an empty unquoted field.
        EXPECT_EQ(cutAtZeroByte(x.text), lower(y.text));
        continue;
      }
      EXPECT_EQ(x.isNull(), y.isNull()) << x.text << " / " << y.text;
      if (type == jet::ColumnType::kOle) {
        EXPECT_EQ(x.text, lower(y.text));
      } else if (type == jet::ColumnType::kText || type == jet::ColumnType::kMemo) {
        EXPECT_EQ(x.text.substr(0, x.text.find('\0')), y.text);
      } else {
        EXPECT_EQ(x.text, y.text);
      }
    }
  }
}

TEST(DumpMatchesMdbtools, EveryTableOfEveryCorpusFile) {
  REQUIRE_CORPUS();
  if (!haveMdbExport()) GTEST_SKIP() << "mdb-export (Debian package mdbtools) is not installed";
  int tables = 0;
  for (const auto& file : corpusFiles()) {
    auto db = jet::Database::open(file);
    ASSERT_TRUE(db) << db.error().toString();
    auto catalog = jet::Catalog::read(**db);
    ASSERT_TRUE(catalog) << catalog.error().toString();
    for (const jet::CatalogEntry* e : catalog->tables(true)) {
      auto table = jet::Table::open(**db, e);
      ASSERT_TRUE(table) << table.error().toString();
      compareTable(file, *table);
      ++tables;
    }
  }
  EXPECT_GE(tables, 60);
}

}  // namespace

namespace {

// mdbtools decrypts encrypted databases too: an encrypted copy that we make
// must read the same for it as the original, which shows the copy is what
// Access would have written.
TEST(DumpMatchesMdbtools, EncryptedCopyReadsLikeTheOriginal) {
  REQUIRE_CORPUS();
  if (!haveMdbExport()) GTEST_SKIP() << "mdb-export (Debian package mdbtools) is not installed";
  TempDir dir;
  const auto original = corpusFile("testV1997.mdb");
  const auto encrypted = dir / "cifrada.mdb";
  writeFile(encrypted, encryptImage(readFile(original), 0x11223344));
  for (const char* table : {"Table1", "Table2", "MSysObjects"}) {
    SCOPED_TRACE(table);
    auto export_ = [&](const std::filesystem::path& f) {
      return runCommand("mdb-export -b hex " + shellQuote(f.string()) + " " + table);
    };
    auto dump = [&](const std::filesystem::path& f) {
      return runCommand(shellQuote(jetdbPath().string()) + " dump " + shellQuote(f.string()) +
                        " " + table);
    };
    CommandOutput a = export_(original), b = export_(encrypted);
    EXPECT_EQ(a.status, 0);
    EXPECT_GT(a.out.size(), 100u);
    EXPECT_EQ(a.out, b.out);
    CommandOutput c = dump(original), d = dump(encrypted);
    EXPECT_EQ(c.status, 0);
    EXPECT_EQ(d.status, 0);
    EXPECT_EQ(c.out, d.out);
  }
}

}  // namespace
