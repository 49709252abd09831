// jetdb generate: the same seed gives the same file, another seed another;
// the file checks clean, mdbtools reads every table as jetdb dump does, and
// compacting it reclaims its deleted rows into a clean fixed point that both
// read the same.
#include <gtest/gtest.h>

#include "jet/model/catalog.h"
#include "jet/model/table.h"
#include "tests/support/corpus.h"
#include "tests/support/mdbtools_compare.h"

namespace {

using namespace testing_support;
namespace fs = std::filesystem;

int jetdb(const std::string& args) {
  return runCommand(shellQuote(jetdbPath().string()) + " " + args + " >/dev/null 2>&1").status;
}

void expectAllTablesMatch(const fs::path& file) {
  auto db = jet::Database::open(file);
  ASSERT_TRUE(db);
  auto catalog = jet::Catalog::read(**db);
  ASSERT_TRUE(catalog);
  for (const jet::CatalogEntry* e : catalog->tables(true)) {
    auto table = jet::Table::open(**db, e);
    ASSERT_TRUE(table);
    expectDumpMatchesMdbExport(file, *table);
  }
}

TEST(GenerateCommand, DeterministicCleanReadByMdbtoolsAndCompactable) {
  TempDir dir;
  const std::string a = shellQuote((dir / "a.mdb").string());
  const std::string b = shellQuote((dir / "b.mdb").string());
  const std::string c = shellQuote((dir / "c.mdb").string());
  ASSERT_EQ(jetdb("generate " + a + " --megabytes 2 --seed 11"), 0);
  ASSERT_EQ(jetdb("generate " + b + " --megabytes 2 --seed 11"), 0);
  ASSERT_EQ(jetdb("generate " + c + " --megabytes 2 --seed 12"), 0);
  EXPECT_TRUE(readFile(dir / "a.mdb") == readFile(dir / "b.mdb"));
  EXPECT_FALSE(readFile(dir / "a.mdb") == readFile(dir / "c.mdb"));
  EXPECT_EQ(jetdb("check " + a), 0);

  const fs::path once = dir / "una.mdb", twice = dir / "dos.mdb";
  ASSERT_EQ(jetdb("compact " + a + " " + shellQuote(once.string())), 0);
  ASSERT_EQ(jetdb("compact " + shellQuote(once.string()) + " " + shellQuote(twice.string())), 0);
  EXPECT_EQ(jetdb("check " + shellQuote(once.string())), 0);
  EXPECT_LT(fs::file_size(once), fs::file_size(dir / "a.mdb"));
  EXPECT_TRUE(readFile(once) == readFile(twice));

  if (!haveMdbExport()) GTEST_SKIP() << "mdb-export (Debian package mdbtools) is not installed";
  expectAllTablesMatch(dir / "a.mdb");
  expectAllTablesMatch(once);
}

}  // namespace
