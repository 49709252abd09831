// jetdb generate: the same seed gives the same file, another seed another;
// the file checks clean and compacting it reclaims its deleted rows into a
// clean fixed point. Generated files hold deleted and moved rows (read where
// their body lies by the outside readers) and values of every type and
// long-value form: mdb-export and mdb-reader read every table of one, of its
// compaction and of a new empty database as jetdb dump does. jetdb create
// makes the system tables that the generator script learns from an Access
// file.
#include <gtest/gtest.h>

#include "tests/support/corpus.h"
#include "tests/support/mdb_reader_compare.h"
#include "tests/support/mdbtools_compare.h"

namespace {

using namespace testing_support;
namespace fs = std::filesystem;

// The status of `jetdb ARGUMENTS`.
int jetdb(const std::string& arguments) { return runJetdb(arguments).status; }
std::string q(const fs::path& file) { return shellQuote(file.string()); }

TEST(GenerateCommand, DeterministicCleanCompactableAndReadAlikeByTheOutsideReaders) {
  TempDir dir;
  const fs::path a = dir / "a.mdb", b = dir / "b.mdb", c = dir / "c.mdb";
  ASSERT_EQ(jetdb("generate " + q(a) + " --megabytes 2 --seed 11"), 0);
  ASSERT_EQ(jetdb("generate " + q(b) + " --megabytes 2 --seed 11"), 0);
  ASSERT_EQ(jetdb("generate " + q(c) + " --megabytes 2 --seed 12"), 0);
  EXPECT_TRUE(readFile(a) == readFile(b));
  EXPECT_FALSE(readFile(a) == readFile(c));
  EXPECT_EQ(jetdb("check " + q(a)), 0);

  const fs::path once = dir / "una.mdb", twice = dir / "dos.mdb", created = dir / "nueva.mdb";
  ASSERT_EQ(jetdb("compact " + q(a) + " " + q(once)), 0);
  ASSERT_EQ(jetdb("compact " + q(once) + " " + q(twice)), 0);
  EXPECT_EQ(jetdb("check " + q(once)), 0);
  EXPECT_LT(fs::file_size(once), fs::file_size(a));
  EXPECT_TRUE(readFile(once) == readFile(twice));
  ASSERT_EQ(jetdb("create " + q(created)), 0);

  for (const fs::path& file : {a, once, created}) {
    SCOPED_TRACE(file.filename().string());
    if (haveMdbExport()) expectEveryTableMatchesMdbExport(file);
    if (haveMdbReader()) expectMdbReaderReadsAsJetdb(file);
  }
  if (!haveMdbExport() || !haveMdbReader()) GTEST_SKIP() << "an outside reader is not installed";
}

// The system tables in the engine are the ones the generator script learns
// from the corpus: regenerating them changes nothing.
TEST(CreateCommand, SystemTablesMatchTheirGenerator) {
  REQUIRE_CORPUS();
  // Not __FILE__: a compiler cache may make it relative to the build.
  const fs::path root = REPARADOR_SOURCE_DIR;
  if (runCommand("command -v python3 >/dev/null 2>&1").status != 0) GTEST_SKIP() << "no python3";
  CommandOutput generated =
      runCommand("python3 " + shellQuote((root / "scripts/gen_new_database.py").string()) + " " +
                 shellQuote(corpusFile("delTestV1997.mdb").string()) + " " +
                 shellQuote(jetdbPath().string()));
  ASSERT_EQ(generated.status, 0);
  EXPECT_EQ(generated.out, readFile(root / "jet/write/new_database_catalog.cpp"));
}

}  // namespace
