// mdb-reader, the second outside reader, reads every table (system tables
// included) of every compacted corpus file, of a generated file and of its
// compaction, and of a new empty database, with the values `jetdb dump` writes.
#include <gtest/gtest.h>

#include "jet/engine.h"
#include "tests/support/corpus.h"
#include "tests/support/mdb_reader_compare.h"

namespace {

using namespace testing_support;
namespace fs = std::filesystem;

#define REQUIRE_MDB_READER()                              \
  do {                                                    \
    std::string why;                                      \
    if (!haveMdbReader(&why)) GTEST_SKIP() << why;        \
  } while (false)

TEST(MdbReaderMatchesDump, EveryCompactedCorpusFile) {
  REQUIRE_CORPUS();
  REQUIRE_MDB_READER();
  for (const auto& file : corpusFiles()) {
    TempDir dir;
    const fs::path compacted = dir / file.filename().string();
    ASSERT_TRUE(jet::compactDatabase(file, compacted).ok()) << file;
    expectMdbReaderReadsAsJetdb(compacted);
  }
}

// Generated files hold deleted and moved rows (read where their body lies by
// mdb-reader) and values of every type and long-value form.
TEST(MdbReaderMatchesDump, GeneratedFileItsCompactionAndANewDatabase) {
  REQUIRE_MDB_READER();
  TempDir dir;
  const fs::path generated = dir / "generada.mdb", compacted = dir / "compactada.mdb",
                 created = dir / "nueva.mdb";
  const std::string jetdb = shellQuote(jetdbPath().string());
  ASSERT_EQ(runCommand(jetdb + " generate " + shellQuote(generated.string()) +
                       " --megabytes 3 --seed 5 >/dev/null")
                .status,
            0);
  expectMdbReaderReadsAsJetdb(generated, true);
  ASSERT_TRUE(jet::compactDatabase(generated, compacted).ok());
  expectMdbReaderReadsAsJetdb(compacted);
  ASSERT_EQ(runCommand(jetdb + " create " + shellQuote(created.string()) + " >/dev/null").status, 0);
  expectMdbReaderReadsAsJetdb(created);
}

}  // namespace
