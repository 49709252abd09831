// `jetdb repair FILE [--dry-run]`: a healthy file is left alone (exit 0); a
// damaged one is listed and left alone by --dry-run (exit 1), then repaired
// into a file that `jetdb check` finds clean, its damaged copy kept (exit 0,
// or 1 when data was lost); a file that cannot be repaired gives its number
// (exit 2).
#include <gtest/gtest.h>

#include "jet/format/data_page.h"
#include "tests/support/corpus.h"
#include "tests/support/damage.h"
#include "tests/support/damage_generator.h"
#include "tests/support/database_layout.h"

namespace {

using namespace testing_support;

CommandOutput jetdb(const std::string& args, const std::filesystem::path& file) {
  return runCommand(shellQuote(jetdbPath().string()) + " " + args + " " + shellQuote(file.string()) +
                    " 2>&1");
}

TEST(RepairCommand, HealthyDryRunRepairAndError) {
  REQUIRE_CORPUS();
  TempDir dir;
  const auto db = dir / "base.mdb";
  writeFile(db, corpusImage("testV1997.mdb"));
  CommandOutput healthy = jetdb("repair", db);
  EXPECT_EQ(healthy.status, 0) << healthy.out;
  EXPECT_NE(healthy.out.find("sin daños"), std::string::npos) << healthy.out;

  std::string image = corpusImage("testV1997.mdb");
  ASSERT_TRUE(applyDamage(image, DamageKind::kTableDefinition, 2).applied);
  writeFile(db, image);
  CommandOutput dry = jetdb("repair --dry-run", db);
  EXPECT_EQ(dry.status, 1) << dry.out;
  EXPECT_NE(dry.out.find("Se reconstruiría"), std::string::npos) << dry.out;
  EXPECT_EQ(readFile(db), image);
  EXPECT_FALSE(std::filesystem::exists(dir / "base.dañado.mdb"));

  CommandOutput repaired = jetdb("repair", db);
  EXPECT_NE(repaired.out.find("base.dañado.mdb"), std::string::npos) << repaired.out;
  EXPECT_EQ(readFile(dir / "base.dañado.mdb"), image);
  EXPECT_EQ(jetdb("check", db).status, 0);

  // Exit 0 "Reparada" when nothing was lost (a damaged index is rebuilt);
  // exit 1 "Reparada con pérdidas" when rows were (a data page that no
  // longer decodes), so that scripts can tell.
  for (const bool lose : {false, true}) {
    TempDir other;
    const auto file = other / "base.mdb";
    std::string damaged = corpusImage("testV1997.mdb");
    if (lose) {
      const std::uint32_t page = describeDatabase(damaged).userTables().front()->dataPages.front();
      setU16(damaged, at(page, jet::data_page::kRowCount), 0xFFFF);
    } else {
      ASSERT_TRUE(applyDamage(damaged, DamageKind::kIndexPage, 3).applied);
    }
    writeFile(file, damaged);
    CommandOutput out = jetdb("repair", file);
    EXPECT_EQ(out.status, lose ? 1 : 0) << out.out;
    EXPECT_NE(out.out.find(lose ? "Reparada con pérdidas (se pierde 1 fila o página de filas"
                                : "Reparada: "),
              std::string::npos)
        << out.out;
    EXPECT_EQ(jetdb("check", file).status, 0);
  }

  CommandOutput missing = jetdb("repair", dir / "falta.mdb");
  EXPECT_EQ(missing.status, 2) << missing.out;
  EXPECT_NE(missing.out.find("3044"), std::string::npos) << missing.out;
}

}  // namespace
