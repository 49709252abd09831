// `jetdb check FILE`: exit 0 for a file without damage (what Access leaves
// shown apart), 1 with findings (each printed with its place), 2 for a file
// that cannot be checked.
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

  // Page 36 (a stale definition) no longer marked free: space to reclaim,
  // not damage.
  std::string leftover = corpusImage("testV1997.mdb");
  const auto [byte, bit] = usageMapBit(leftover, 1u << 8, 36);
  setByte(leftover, byte, getByte(leftover, byte) & ~bit);
  writeFile(dir / "leftover.mdb", leftover);
  CommandOutput notes = check(dir / "leftover.mdb");
  EXPECT_EQ(notes.status, 0) << notes.out;
  EXPECT_NE(notes.out.find("que no es daño (una compactación lo quita):\n  página 36: espacio recuperable: "),
            std::string::npos) << notes.out;
  EXPECT_NE(notes.out.find(": sin daños; 1 nota de lo que deja Access (1 de espacio recuperable)\n"),
            std::string::npos) << notes.out;

  CommandOutput missing = check(dir / "no-such.mdb");
  EXPECT_EQ(missing.status, 2) << missing.out;
  EXPECT_NE(missing.out.find("3044"), std::string::npos) << missing.out;
}

}  // namespace
