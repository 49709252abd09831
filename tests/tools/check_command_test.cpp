// `jetdb check FILE`: exit 0 for a clean file, 1 with findings (each printed
// with its place), 2 for a file that cannot be checked.
#include <gtest/gtest.h>

#include "jet/format/index_page.h"
#include "tests/support/corpus.h"
#include "tests/support/damage.h"

namespace {

using namespace testing_support;

CommandOutput check(const std::filesystem::path& file) {
  return runCommand(shellQuote(jetdbPath().string()) + " check " + shellQuote(file.string()) +
                    " 2>&1");
}

TEST(CheckCommand, ExitStatusTellsCleanFromDamagedFromUnreadable) {
  REQUIRE_CORPUS();
  CommandOutput clean = check(corpusFile("compIndexTestV1997.mdb"));
  EXPECT_EQ(clean.status, 0) << clean.out;
  EXPECT_NE(clean.out.find("sin daños"), std::string::npos) << clean.out;

  TempDir dir;
  std::string image = corpusImage("compIndexTestV1997.mdb");
  // The first key byte of MSysObjects' Id leaf (page 11): entries now differ
  // from their rows.
  setByte(image, at(11, jet::index_page::kFirstEntry + 1), 0x55);
  writeFile(dir / "damaged.mdb", image);
  CommandOutput damaged = check(dir / "damaged.mdb");
  EXPECT_EQ(damaged.status, 1) << damaged.out;
  EXPECT_NE(damaged.out.find("tabla MSysObjects, índice Id"), std::string::npos) << damaged.out;
  EXPECT_NE(damaged.out.find("hallazgos"), std::string::npos) << damaged.out;

  CommandOutput missing = check(dir / "no-such.mdb");
  EXPECT_EQ(missing.status, 2) << missing.out;
  EXPECT_NE(missing.out.find("3044"), std::string::npos) << missing.out;
}

}  // namespace
