// jetdb's commands as scripts see them, one row each: a file made for the
// run, the command line, the exit status (0 done and no damage, 1 damage
// found or data lost, 2 an error, given as number and Spanish text), what
// the output says, and what is left on disk afterwards. And every command on
// a database with a password.
#include <gtest/gtest.h>

#include "jet/format/data_page.h"
#include "jet/format/index_page.h"
#include "tests/support/corpus.h"
#include "tests/support/damage.h"
#include "tests/support/damage_generator.h"
#include "tests/support/database_layout.h"

namespace {

using namespace testing_support;
namespace fs = std::filesystem;

void asIs(std::string&) {}

// The table definition on page 2 damaged: rebuilt from what can be read.
void damagedDefinition(std::string& image) {
  ASSERT_TRUE(applyDamage(image, DamageKind::kTableDefinition, 2).applied);
}

// An index page damaged: rebuilt from the rows, nothing lost.
void damagedIndex(std::string& image) {
  ASSERT_TRUE(applyDamage(image, DamageKind::kIndexPage, 3).applied);
}

// A data page of the first user table (Table1) whose row count no longer
// decodes: its rows are lost.
void unreadableDataPage(std::string& image) {
  const std::uint32_t page = describeDatabase(image).userTables().front()->dataPages.front();
  setU16(image, at(page, jet::data_page::kRowCount), 0xFFFF);
}

// The first key byte of MSysObjects' Id leaf (page 11 of
// compIndexTestV1997.mdb): entries now differ from their rows.
void changedIndexKey(std::string& image) {
  setByte(image, at(11, jet::index_page::kFirstEntry + 1), 0x55);
}

// Page 36 (a stale definition) no longer marked free: space to reclaim,
// not damage.
void stalePageInUse(std::string& image) { markInMap(image, 1u << 8, 36, false); }

// Run as a service runs it, with no standard input (on Linux), a file jetdb
// makes is its descriptor 0.
#ifdef _WIN32
#define NO_INPUT ""
#else
#define NO_INPUT " <&-"
#endif

constexpr const char* kNone = "";              // FILE does not exist
constexpr const char* kText = "texto";         // FILE holds a line of text
constexpr const char* kTest = "testV1997.mdb";  // else a copy of this corpus file

struct Call {
  const char* name;
  const char* source;
  void (*damage)(std::string&);
  std::string command;  // FILE stands for the file
  int status;
  std::vector<std::string> says;  // stdout and stderr together
  std::vector<std::string> neverSays = {};
  int checkAfter = -1;  // `jetdb check FILE` afterwards; -1 not run
  bool damagedCopyKept = false;  // FILE as it was, beside it as base.dañado.mdb
};

void PrintTo(const Call& r, std::ostream* os) { *os << r.name; }

class CommandLineTest : public ::testing::TestWithParam<Call> {};

TEST_P(CommandLineTest, ExitStatusOutputAndFilesLeft) {
  const Call& r = GetParam();
  TempDir dir;
  const fs::path file = dir / "base.mdb";
  std::string image;
  if (r.source == std::string(kText)) {
    image = "esto no es una base de datos";
  } else if (*r.source) {
    REQUIRE_CORPUS();
    image = corpusImage(r.source);
    r.damage(image);
  }
  if (!image.empty()) writeFile(file, image);
  std::string command = r.command;
  command.replace(command.find("FILE"), 4, shellQuote(file.string()));
  const CommandOutput run = runJetdb(command);
  EXPECT_EQ(run.status, r.status) << run.out;
  for (const std::string& text : r.says) EXPECT_NE(run.out.find(text), std::string::npos) << text;
  for (const std::string& text : r.neverSays) EXPECT_EQ(run.out.find(text), std::string::npos) << text;
  if (r.checkAfter >= 0) { EXPECT_EQ(runJetdb("check " + shellQuote(file.string())).status, r.checkAfter); }
  const fs::path copy = dir / "base.dañado.mdb";
  EXPECT_EQ(fs::exists(copy), r.damagedCopyKept);
  EXPECT_TRUE(!r.damagedCopyKept || !fs::exists(copy) || readFile(copy) == image);
}

const std::string kWhereFound = "\n  (detectado en jet/";

INSTANTIATE_TEST_SUITE_P(
    Jetdb, CommandLineTest,
    ::testing::Values(
        Call{"MissingFileIs3044", kNone, asIs, "info FILE", 2, {"3044: "}},
        Call{"TextFileIs3049", kText, asIs, "tables FILE", 2,
            {"3049: No se puede abrir la base de datos"}},
        Call{"CheckDebugSaysWhereTheEngineFoundTheError", kText, asIs, "check --debug FILE", 2,
            {kWhereFound}},
        Call{"CheckWithoutDebugDoesNotSayWhere", kText, asIs, "check FILE", 2, {"3049: "},
            {kWhereFound}},
        Call{"UnknownTableIs3078", kTest, asIs, "dump FILE NoExiste", 2, {"3078: "}},
        Call{"UnknownDumpFormatIsAnError", kTest, asIs, "dump FILE --format xml", 2, {}},
        Call{"TablesListsTheUserTables", kTest, asIs, "tables FILE", 0,
            {"Table1\nTable2\nTable3\nTable4\n"}, {"MSys"}},
        Call{"TablesSystemAddsTheSystemTables", kTest, asIs, "tables --system FILE", 0,
            {"MSysObjects\n", "Table4\n"}},
        Call{"DumpGivesEachTableAskedForUnderItsName", kTest, asIs, "dump FILE Table1 Table3", 0,
            {"[Table1]\nA,B,C,D,E,F,G,H,I\na,b,0,0,0,0,1981-12-12 00:00:00,0.0000,0\n",
             "\n\n[Table3]\n"},
            {"[Table2]"}},
        Call{"DumpAsJsonGivesEveryTableWithTypedValues", kTest, asIs, "dump --format json FILE", 0,
            {"{\n  \"Table1\": [\n    {\"A\": \"a\", \"B\": \"b\", \"C\": 0, ",
             "\"I\": false},\n    {\"A\": \"abcdefg\", ",
             "\"H\": 3.5000, \"I\": true}\n  ],\n  \"Table2\": [],\n  \"Table3\": [],\n  \"Table4\": []\n}"}},
        Call{"DumpOfADamagedTableIs1WritesWhatItReadsAndSaysWhere", kTest, unreadableDataPage,
            "dump FILE Table1", 1, {"A,B,C,D,E,F,G,H,I\n", "tabla Table1, página "}},
        Call{"InfoGivesTheCodePageAndTheDatabaseProperties", "indexTestV1997.mdb", asIs,
            "info --objects FILE", 0, {"Página de códigos:  1252", "    Author = James Ahlborn"}},
        Call{"InfoGivesTheCreationDateOfMSysDb", kTest, asIs, "info FILE", 0,
            {"Creada:             2010-03-05 14:48:26\n"}},
        Call{"PageShowsATableDefinitionsFieldsThenEveryByte", kTest, asIs, "page FILE 2", 0,
            {"Página 2: tipo 0x02, definición de tabla\n", "0x15 columnas creadas: 17\n",
             "0x23 mapa de uso: página 6, fila 0\n", "0x0000  02 01 56 43 ", "0x07F0  "}},
        Call{"PageShowsADataPagesFields", kTest, asIs, "page FILE 1", 0,
            {"página de datos\n  0x02 espacio libre: "}},
        Call{"PagePastTheEndIs3343", kTest, asIs, "page FILE 99999", 2, {"3343: "}},
        Call{"CheckOfACleanFileIs0", "compIndexTestV1997.mdb", asIs, "check FILE", 0,
            {"sin daños"}, {"hallazgos"}},
        Call{"CheckGivesEachFindingWithItsPlace", "compIndexTestV1997.mdb", changedIndexKey,
            "check FILE", 1, {"tabla MSysObjects, índice Id", "hallazgos"}},
        Call{"CheckNotesSpaceToReclaimAsNoDamage", kTest, stalePageInUse, "check FILE", 0,
            {"que no es daño (una compactación lo quita):\n  página 36: espacio recuperable: ",
             ": sin daños; 1 nota de lo que deja Access (1 de espacio recuperable)\n"}},
        Call{"RepairLeavesAHealthyFileAlone", kTest, asIs, "repair FILE", 0, {"sin daños"}, {}, 0},
        Call{"RepairDryRunSaysWhatItWouldDoAndDoesNothing", kTest, damagedDefinition,
            "repair --dry-run FILE", 1, {"Se reconstruiría"}, {}, 1},
        Call{"RepairKeepsTheDamagedFileBesideTheRepairedOne", kTest, damagedDefinition,
            "repair FILE", 1, {"base.dañado.mdb"}, {}, 0, true},
        Call{"RepairThatLosesNothingIs0", kTest, damagedIndex, "repair FILE", 0, {"Reparada: "},
            {}, 0, true},
        Call{"RepairThatLosesRowsIs1", kTest, unreadableDataPage, "repair FILE", 1,
            {"Reparada con pérdidas (se pierde 1 fila o página de filas"}, {}, 0, true},
        Call{"RepairOfAMissingFileIs3044", kNone, asIs, "repair FILE", 2, {"3044"}},
        Call{"CreateMakesADatabaseThatChecksClean", kNone, asIs, "create FILE" NO_INPUT, 0, {}, {},
            0},
        Call{"CreateNeverReplacesAFile", kTest, asIs, "create FILE", 2, {"3204: "}, {}, 0},
        Call{"GenerateNeverReplacesAFile", kTest, asIs, "generate FILE --megabytes 2", 2, {}, {}, 0},
        Call{"GenerateOfNoMegabytesIsRefused", kNone, asIs, "generate FILE --megabytes 0", 2, {}}),
    [](const auto& row) { return std::string(row.param.name); });

std::string q(const std::filesystem::path& p) { return shellQuote(p.string()); }

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
        EXPECT_EQ(runJetdb(command).status, 0);
        continue;
      }
      CommandOutput refused = runJetdb(wrong + command);
      EXPECT_EQ(refused.status, 2);
      EXPECT_EQ(refused.out.rfind("3031: ", 0), 0u) << refused.out;
    }
    EXPECT_EQ(runJetdb("--password Clave " + command).status, 0);
  }
  EXPECT_EQ(runJetdb("dump " + db + " Table1 --password Clave").status, 0);
  // The compacted copy keeps the password.
  EXPECT_EQ(runJetdb("tables " + q(dir / "c.mdb")).status, 2);
  EXPECT_EQ(runJetdb("--password Clave check " + q(dir / "c.mdb")).status, 0);
}

}  // namespace
