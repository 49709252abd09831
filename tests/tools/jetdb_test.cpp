// jetdb as a user runs it: damage reported while the readable rows are
// still written, several tables in one dump, JSON, passwords.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "tests/support/corpus.h"
#include "tests/support/damage.h"
#include "tests/support/database_layout.h"

namespace {

using namespace testing_support;

CommandOutput jetdb(const std::string& args, bool withStderr = false) {
  return runCommand(shellQuote(jetdbPath().string()) + " " + args +
                    (withStderr ? " 2>&1" : " 2>/dev/null"));
}

std::string q(const std::filesystem::path& p) { return shellQuote(p.string()); }

TEST(Jetdb, DamageIsReportedWithExit1AndTheReadableRowsAreStillWritten) {
  REQUIRE_CORPUS();
  TempDir dir;
  std::string image = corpusImage("delTestV1997.mdb");
  CommandOutput clean = jetdb("dump " + q(corpusFile("delTestV1997.mdb")) + " Table");
  ASSERT_EQ(clean.status, 0);
  // Wreck the slot table of every data page of the table.
  int wrecked = 0;
  for (const TableLayout& table : describeDatabase(image).tables) {
    if (table.name != "Table") continue;
    for (std::uint32_t page : table.dataPages) {
      setU16(image, at(page, 10), 0x0FFF);  // slot 0 starts past the page end
      ++wrecked;
    }
  }
  ASSERT_GT(wrecked, 0);
  writeFile(dir / "rota.mdb", image);
  CommandOutput damaged = jetdb("dump " + q(dir / "rota.mdb") + " Table");
  EXPECT_EQ(damaged.status, 1);
  EXPECT_LT(damaged.out.size(), clean.out.size());
  EXPECT_EQ(damaged.out.substr(0, damaged.out.find('\n')), clean.out.substr(0, clean.out.find('\n')));
  CommandOutput messages = jetdb("dump " + q(dir / "rota.mdb") + " Table", true);
  EXPECT_NE(messages.out.find("tabla Table, página "), std::string::npos);
}

TEST(Jetdb, SeveralTablesAndJson) {
  REQUIRE_CORPUS();
  const auto file = q(corpusFile("testV1997.mdb"));
  CommandOutput one = jetdb("dump " + file + " Table1");
  CommandOutput two = jetdb("dump " + file + " Table1 Table3");
  ASSERT_EQ(two.status, 0);
  EXPECT_EQ(two.out.rfind("[Table1]\n" + one.out + "\n[Table3]\n", 0), 0u);
  CommandOutput json = jetdb("dump --format json " + file);
  ASSERT_EQ(json.status, 0);
  auto doc = nlohmann::json::parse(json.out);
  ASSERT_TRUE(doc.contains("Table1"));
  EXPECT_EQ(doc.size(), 4u);
  const std::size_t csvRows = static_cast<std::size_t>(std::count(one.out.begin(), one.out.end(), '\n')) - 1;
  EXPECT_EQ(doc["Table1"].size(), csvRows);
  EXPECT_EQ(doc["Table1"][0]["A"], "a");
  EXPECT_TRUE(doc["Table1"][0]["I"].is_boolean());
}

// A database with a password: every command needs `--password` (before or
// after the command) and ends with 3031 without it or with a wrong one, but
// check and repair, which show nothing of the contents, go on without one;
// repair and compact write files that keep it.
TEST(Jetdb, PasswordForEveryCommand) {
  REQUIRE_CORPUS();
  TempDir dir;
  writeFile(dir / "base.mdb", withPasswordBytes(corpusImage("testV1997.mdb"), "Clave"));
  const std::string db = q(dir / "base.mdb");
  for (const std::string& command : {"info " + db, "tables " + db, "dump " + db + " Table1",
                                    "check " + db, "repair " + db,
                                    "compact " + db + " " + q(dir / "c.mdb")}) {
    SCOPED_TRACE(command);
    for (const char* wrong : {"", "--password clave "}) {
      if (*wrong == '\0' && (command.rfind("repair", 0) == 0 || command.rfind("check", 0) == 0)) {
        EXPECT_EQ(jetdb(command).status, 0);
        continue;
      }
      CommandOutput refused = jetdb(wrong + command, true);
      EXPECT_EQ(refused.status, 2);
      EXPECT_EQ(refused.out.rfind("3031: ", 0), 0u) << refused.out;
    }
    EXPECT_EQ(jetdb("--password Clave " + command).status, 0);
  }
  EXPECT_EQ(jetdb("dump " + db + " Table1 --password Clave").status, 0);
  // The compacted copy keeps the password.
  EXPECT_EQ(jetdb("tables " + q(dir / "c.mdb")).status, 2);
  EXPECT_EQ(jetdb("--password Clave check " + q(dir / "c.mdb")).status, 0);
}

}  // namespace
