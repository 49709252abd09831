// The proof of the reader: for every corpus file, its subfolders' included,
// and every table, system tables included, `jetdb dump` asked for the table
// by its name gives the values that mdbtools' mdb-export reads (the notation
// they differ in: tests/support/mdbtools_compare.h).
#include <gtest/gtest.h>

#include "jet/model/catalog.h"
#include "jet/model/table.h"
#include "tests/support/corpus.h"
#include "tests/support/encrypt.h"
#include "tests/support/mdbtools_compare.h"

namespace {

using namespace testing_support;

// One test per corpus file, so that files run side by side.
class DumpCorpus : public ::testing::TestWithParam<std::filesystem::path> {};

TEST_P(DumpCorpus, EveryTableMatchesMdbExport) {
  if (!haveMdbExport()) GTEST_SKIP() << "mdb-export (Debian package mdbtools) is not installed";
  const auto& file = GetParam();
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

INSTANTIATE_TEST_SUITE_P(Corpus, DumpCorpus, ::testing::ValuesIn(allCorpusFiles()),
                         [](const auto& info) { return corpusTestName(info.param); });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(DumpCorpus);

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
