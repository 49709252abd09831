// A database password (here with a space, which Access allows): compaction
// and repair write files that keep it (that the database opens only with it:
// database_open_test.cpp).
#include <gtest/gtest.h>

#include "jet/check/checker.h"
#include "jet/engine.h"
#include "jet/model/database.h"
#include "jet/rebuild/repair.h"
#include "tests/support/corpus.h"
#include "tests/support/damage.h"
#include "tests/support/damage_generator.h"

namespace jet {
namespace {

using namespace testing_support;
namespace fs = std::filesystem;

TEST(Password, CompactionNeedsItRepairRefusesAWrongOneAndBothKeepIt) {
  REQUIRE_CORPUS();
  TempDir dir;
  const std::string original = corpusImage("testV1997.mdb");
  writeFile(dir / "base.mdb", withPasswordBytes(original, "Mi Clave"));
  auto opens = [](const fs::path& file, const std::string& password) {
    return errorNumber(Database::open(file, Database::Access::kRead, password));
  };

  Status refused = compactDatabase(dir / "base.mdb", dir / "sin.mdb", "mi clave");
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.error().number(), errc::kBadPassword);
  EXPECT_FALSE(fs::exists(dir / "sin.mdb"));
  ASSERT_TRUE(compactDatabase(dir / "base.mdb", dir / "compactada.mdb", "Mi Clave").ok());
  EXPECT_EQ(opens(dir / "compactada.mdb", ""), errc::kBadPassword);
  EXPECT_EQ(opens(dir / "compactada.mdb", "Mi Clave"), 0);

  // Repair: a wrong password is refused, the file as it was; without one, or
  // with the right one, a damaged copy is rebuilt into a file that keeps it
  // and checks clean.
  std::string damaged = original;
  ASSERT_TRUE(applyDamage(damaged, DamageKind::kDataPage, 3).applied);
  damaged = withPasswordBytes(damaged, "Mi Clave");
  RepairOptions wrong;
  wrong.password = "mi clave";
  writeFile(dir / "dañada.mdb", damaged);
  auto refusedRepair = repair(dir / "dañada.mdb", wrong);
  ASSERT_FALSE(refusedRepair);
  EXPECT_EQ(refusedRepair.error().number(), errc::kBadPassword);
  EXPECT_EQ(readFile(dir / "dañada.mdb"), damaged);
  for (const char* given : {"", "Mi Clave"}) {
    SCOPED_TRACE(given);
    TempDir here;
    writeFile(here / "dañada.mdb", damaged);
    RepairOptions options;
    options.password = given;
    auto repaired = repair(here / "dañada.mdb", options);
    ASSERT_TRUE(repaired) << repaired.error().toString();
    EXPECT_TRUE(repaired->written);
    EXPECT_EQ(opens(here / "dañada.mdb", ""), errc::kBadPassword);
    auto db = Database::open(here / "dañada.mdb", Database::Access::kRead, "Mi Clave");
    ASSERT_TRUE(db);
    auto check = checkDatabase(**db);
    ASSERT_TRUE(check);
    EXPECT_TRUE(check->clean());
  }
}

}  // namespace
}  // namespace jet
