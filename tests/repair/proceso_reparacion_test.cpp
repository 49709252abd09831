// The repair procedure against an in-memory file system, a fake engine and a
// fake window: what it shows, in which order it works, and what it leaves on
// disk after each kind of failure.
#include "repair/proceso_reparacion.h"

#include <gtest/gtest.h>

#include "tests/support/fake_engine.h"
#include "tests/support/fake_ui.h"
#include "tests/support/temp_drives.h"

namespace repair {
namespace {

using platform::RunError;
using platform::MessageButtons;
using platform::MessageIcon;
using Op = testing_support::TempDrives::Op;
using testing_support::ShownMessage;
using testing_support::notice;

constexpr const char* kDb = "C:\\KEL\\DATOS\\KEL01.MDB";
constexpr const char* kConfirm =
    "El proceso de reparación puede durar algunos segundos. Este tiempo dependerá del tamaño de "
    "la base de datos a reparar.\r\r¿Continuar con el proceso?";
constexpr const char* kDone = "El proceso de reparación de la base de datos ha finalizado.";
constexpr const char* kLock = "C:\\REPARAR.LCK";  // stays, empty, once locked

ShownMessage report(const std::string& title, const std::string& text) {
  return {text, title, MessageIcon::None, MessageButtons::Ok};
}
const ShownMessage kConfirmation{kConfirm, "Información", MessageIcon::Question, MessageButtons::YesNo};

class ProcesoReparacionTest : public ::testing::Test {
 protected:
  ProcesoReparacionTest() {
    fs.setJournal(&journal);
    fs.addFolder("C:\\KEL\\DATOS");
    fs.addFile(kDb, "MDB datos");
    ui.cmp = kDb;
  }

  bool run() { return ProcesoReparacion(ui, fs, engine, respuesta); }

  std::vector<std::string> journal;
  testing_support::TempDrives fs{"C:\\KEL"};
  testing_support::FakeEngine engine{fs, &journal};
  testing_support::FakeUi ui{&journal};
  std::int16_t respuesta = 0;
};

TEST_F(ProcesoReparacionTest, Yes_RunsEveryStepInOrderAndLeavesTheCompactedDatabase) {
  fs.addFile("\\BORRAR2.BAK", "vieja");
  engine.leaveLockFile = true;
  EXPECT_TRUE(run());
  const std::vector<std::string> expected = {
      std::string("box Información: ") + kConfirm,
      "lock \\REPARAR.LCK",
      "name C:\\KEL\\DATOS\\KEL01.MDB",  // once, and no scratch file
      "name \\BORRAR1.MDB",
      "name \\BORRAR2.BAK",
      "name \\BORRAR1.LDB",
      "hourglass",
      "show LbEsperar",
      "caption REPARANDO la base de datos ...",
      "repaint",
      "repair C:\\KEL\\DATOS\\KEL01.MDB",
      "caption COMPACTANDO la base de datos ...",
      "repaint",
      "compact C:\\KEL\\DATOS\\KEL01.MDB > \\BORRAR1.MDB",
      "flush \\BORRAR1.MDB",
      "link \\BORRAR2.BAK",
      "exists \\BORRAR2.BAK",
      "name \\BORRAR2.BAK",
      "rename \\BORRAR2.BAK > \\BORRAR2 (1).BAK",
      "pointer",
      "name \\BORRAR2 (1).BAK",
      "box Información: Una reparación anterior que no llegó a terminar dejó el fichero "
      "C:\\BORRAR2.BAK, que puede ser la única copia de una base de datos. No se ha borrado: "
      "ahora se llama C:\\BORRAR2 (1).BAK. Compruebe su contenido antes de borrarlo.",
      "hourglass",
      "rename C:\\KEL\\DATOS\\KEL01.MDB > \\BORRAR2.BAK",
      "rename \\BORRAR1.MDB > C:\\KEL\\DATOS\\KEL01.MDB",
      "exists \\BORRAR2.BAK",
      "remove \\BORRAR2.BAK",
      "exists \\BORRAR1.LDB",
      "remove \\BORRAR1.LDB",
      "pointer",
      "hide LbEsperar",
      std::string("box Información: ") + kDone,
  };
  EXPECT_EQ(journal, expected);
  // The compacted database alone under its name; the stale copy kept aside.
  EXPECT_EQ(respuesta, 6);
  EXPECT_EQ(fs.files(), (std::vector<std::string>{"C:\\BORRAR2 (1).BAK", kDb, kLock}));
  EXPECT_EQ(fs.contents(kDb), "compactada:MDB datos reparada");
  EXPECT_EQ(ui.messages.back(), notice(kDone));
  EXPECT_EQ(ui.lbEsperarCaption, "COMPACTANDO la base de datos ...");  // kept while hidden
}

TEST_F(ProcesoReparacionTest, No_TouchesNothingAndSucceeds) {
  ui.answers = {platform::kAnswerNo};
  EXPECT_TRUE(run());
  EXPECT_EQ(respuesta, 7);
  EXPECT_EQ(ui.messages, std::vector<ShownMessage>{kConfirmation});
  EXPECT_EQ(journal.size(), 1u);  // the box, and nothing else
  EXPECT_EQ(engine.repairs, 0);
  EXPECT_EQ(fs.contents(kDb), "MDB datos");
}

TEST_F(ProcesoReparacionTest, DatabaseNamedLikeAScratchFile_IsRefusedBeforeAnyWork) {
  for (const char* scratch : {"\\BORRAR2.BAK", "C:\\borrar1.mdb"}) {
    SCOPED_TRACE(scratch);
    fs.addFile(scratch, "MDB única copia");
    ui.cmp = scratch;
    ui.messages.clear();
    EXPECT_FALSE(run());
    EXPECT_EQ(ui.messages.back(),
              notice("La base de datos no puede llamarse como un fichero de trabajo del proceso "
                     "(\\BORRAR1.MDB, \\BORRAR2.BAK o \\BORRAR1.LDB)."));
    EXPECT_EQ(fs.contents(scratch), "MDB única copia");
    EXPECT_EQ(engine.repairs, 0);
    EXPECT_FALSE(ui.hourglass);
  }
}

// Two windows never share the scratch files: while one holds the lock, the
// other says so and touches nothing. Each run gives the lock back.
TEST_F(ProcesoReparacionTest, AnotherRepairInProgress_TouchesNothing) {
  fs.addFile("\\BORRAR2.BAK", "MDB única copia de la otra ventana");
  std::unique_ptr<platform::FileLock> otherWindow = fs.lockExclusive("\\REPARAR.LCK").value();
  ASSERT_TRUE(otherWindow);
  EXPECT_FALSE(run());
  EXPECT_EQ(ui.messages.back(), notice("Hay otra reparación de base de datos en curso. Espere a "
                                       "que termine y vuelva a intentarlo."));
  EXPECT_EQ(engine.repairs, 0);
  EXPECT_EQ(fs.contents("\\BORRAR2.BAK"), "MDB única copia de la otra ventana");
  EXPECT_EQ(fs.contents(kDb), "MDB datos");
  EXPECT_FALSE(ui.hourglass);
  EXPECT_FALSE(ui.lbEsperarVisible);

  otherWindow.reset();
  engine.onRepair = [this] { EXPECT_FALSE(fs.lockExclusive("\\REPARAR.LCK").value()); };
  EXPECT_TRUE(run());
  EXPECT_EQ(engine.repairs, 1);
  EXPECT_TRUE(fs.lockExclusive("\\REPARAR.LCK").value()) << "given back";
}

// The engine's failures: three numbers have notices of their own, every
// other one is reported with its number and description.
struct EngineCase { const char* name; RunError error; ShownMessage shown; };

void PrintTo(const EngineCase& c, std::ostream* os) { *os << c.name; }

class EngineFailureTest : public ProcesoReparacionTest, public ::testing::WithParamInterface<EngineCase> {};

TEST_P(EngineFailureTest, ShowsItsMessageAndLeavesTheFilesAlone) {
  const EngineCase& c = GetParam();
  engine.repairError = c.error;
  ui.onMessage = [this](const ShownMessage& m) {
    if (m.buttons == MessageButtons::Ok) {
      EXPECT_FALSE(ui.hourglass) << "the pointer comes back before the message";
      EXPECT_TRUE(ui.lbEsperarVisible) << "the label goes after the message";
    }
  };
  EXPECT_FALSE(run());
  EXPECT_EQ(respuesta, 6);
  EXPECT_EQ(ui.messages, (std::vector<ShownMessage>{kConfirmation, c.shown}));
  EXPECT_FALSE(ui.lbEsperarVisible);
  EXPECT_EQ(fs.files(), (std::vector<std::string>{kDb, kLock}));
  EXPECT_EQ(fs.contents(kDb), "MDB datos");
}

INSTANTIATE_TEST_SUITE_P(
    ErrorTable, EngineFailureTest,
    ::testing::Values(
        EngineCase{"InUse", RunError{3000, "x"},
                   notice("La Base de Datos a reparar en estos momentos está en uso. El proceso "
                          "de Reparación queda cancelado.")},
        EngineCase{"Missing", RunError{3044, "x"}, notice("Base de Datos inexistente.")},
        EngineCase{"NotAccess", RunError{3049, "x"},
                   notice("El fichero no es una Base de Datos de Access.")},
        EngineCase{"OtherNumber", RunError{3343, "Formato de base de datos no reconocido."},
                   report("Error =  3343", "Formato de base de datos no reconocido.")},
        EngineCase{"NegativeNumber", RunError{-5, "Raro"}, report("Error = -5", "Raro")}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(ProcesoReparacionTest, StaleCompactionTarget_IsReportedAndKept) {
  fs.addFile("\\BORRAR1.MDB", "resto");
  EXPECT_FALSE(run());
  EXPECT_EQ(ui.messages.back(), report("Error =  3204", "La base de datos ya existe."));
  EXPECT_EQ(fs.contents("\\BORRAR1.MDB"), "resto");
  EXPECT_EQ(fs.contents(kDb), "MDB datos reparada");
}

// A failure at each step of the swap: the message, and the files left. In
// every case the database, repaired or compacted, is somewhere on disk.
struct SwapCase {
  const char* name;
  bool staleBak;
  bool lockFile;
  std::vector<std::pair<Op, int>> failing;  // calls failed with 70
  std::vector<std::pair<std::string, std::string>> files;  // name, contents
  bool keptNotice;
};

void PrintTo(const SwapCase& c, std::ostream* os) { *os << c.name; }

class SwapFailureTest : public ProcesoReparacionTest, public ::testing::WithParamInterface<SwapCase> {};

TEST_P(SwapFailureTest, ShowsTheErrorAndLosesNothing) {
  const SwapCase& c = GetParam();
  if (c.staleBak) fs.addFile("\\BORRAR2.BAK", "vieja");
  engine.leaveLockFile = c.lockFile;
  for (auto [op, nth] : c.failing) fs.failNth(op, nth, RunError::numbered(70));
  EXPECT_FALSE(run());
  std::vector<ShownMessage> expected{kConfirmation, report("Error =  70", "Permiso denegado")};
  if (c.keptNotice) {
    expected.push_back(notice(
        "La base de datos, tal como estaba antes del proceso, ha quedado en C:\\BORRAR2.BAK."));
  }
  EXPECT_EQ(ui.messages, expected);
  std::vector<std::string> names;
  for (const auto& [name, bytes] : c.files) {
    names.push_back(name);
    EXPECT_EQ(fs.contents(name), bytes) << name;
  }
  EXPECT_EQ(fs.files(), names);
  EXPECT_FALSE(fs.isFile("\\BORRAR2 (1).BAK")) << "nothing moved aside";
  EXPECT_FALSE(ui.hourglass);
  EXPECT_FALSE(ui.lbEsperarVisible);
}

const std::string kRepaired = "MDB datos reparada";
const std::string kCompacted = "compactada:MDB datos reparada";

INSTANTIATE_TEST_SUITE_P(
    EachStep, SwapFailureTest,
    ::testing::Values(
        // The lock cannot be had: nothing is done.
        SwapCase{"LockOfTheScratchFiles", false, false, {{Op::Lock, 1}}, {{kDb, "MDB datos"}},
                 false},
        SwapCase{"FlushOfTheCopy", false, false, {{Op::Flush, 1}},
                 {{"C:\\BORRAR1.MDB", kCompacted}, {kDb, kRepaired}, {kLock, ""}}, false},
        SwapCase{"MoveAsideOfStaleBak", true, false, {{Op::Rename, 1}},
                 {{"C:\\BORRAR1.MDB", kCompacted},
                  {"C:\\BORRAR2.BAK", "vieja"},
                  {kDb, kRepaired},
                  {kLock, ""}},
                 false},
        SwapCase{"MoveOfTheDatabase", false, false, {{Op::Rename, 1}},
                 {{"C:\\BORRAR1.MDB", kCompacted}, {kDb, kRepaired}, {kLock, ""}}, false},
        // Step 8 fails: the database goes back under its own name.
        SwapCase{"MoveOfTheCopy", false, false, {{Op::Rename, 2}},
                 {{"C:\\BORRAR1.MDB", kCompacted}, {kDb, kRepaired}, {kLock, ""}}, false},
        // Step 8 fails and so does the way back: the user is told where it is.
        SwapCase{"MoveOfTheCopyAndTheWayBack", false, false, {{Op::Rename, 2}, {Op::Rename, 3}},
                 {{"C:\\BORRAR1.MDB", kCompacted}, {"C:\\BORRAR2.BAK", kRepaired}, {kLock, ""}},
                 true},
        SwapCase{"DeleteOfTheBak", false, false, {{Op::Remove, 1}},
                 {{"C:\\BORRAR2.BAK", kRepaired}, {kDb, kCompacted}, {kLock, ""}}, false},
        SwapCase{"DeleteOfTheLockFile", false, true, {{Op::Remove, 2}},
                 {{"C:\\BORRAR1.LDB", ""}, {kDb, kCompacted}, {kLock, ""}}, false}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace repair
