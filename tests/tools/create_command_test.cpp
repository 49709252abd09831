// jetdb create: a file that checks clean, one mdbtools reads, and system tables that
// stay what the generator learns from an Access file.
#include <gtest/gtest.h>

#include "tests/support/corpus.h"

namespace {

using namespace testing_support;
namespace fs = std::filesystem;

std::string jetdb(const std::string& args) { return shellQuote(jetdbPath().string()) + " " + args; }

TEST(CreateCommand, NewFileChecksCleanAndMdbtoolsReadsItsSystemTables) {
  TempDir dir;
  const std::string file = shellQuote((dir / "nueva.mdb").string());
  CommandOutput made = runCommand(jetdb("create " + file));
  EXPECT_EQ(made.status, 0);
  EXPECT_EQ(runCommand(jetdb("check " + file)).status, 0);
  if (runCommand("command -v mdb-tables >/dev/null 2>&1").status != 0) {
    GTEST_SKIP() << "mdb-tables (Debian package mdbtools) is not installed";
  }
  EXPECT_EQ(runCommand("mdb-tables -S -1 " + file).out,
            "MSysObjects\nMSysACEs\nMSysQueries\nMSysRelationships\nMSysModules2\nMSysModules\n");
  CommandOutput objects = runCommand("mdb-export " + file + " MSysObjects");
  EXPECT_EQ(objects.status, 0);
  EXPECT_NE(objects.out.find("\"MSysDb\""), std::string::npos);
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
