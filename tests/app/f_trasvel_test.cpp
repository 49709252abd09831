// The window's logic with fakes: load, keys, exit and the repair request.
#include "app/f_trasvel.h"

#include <gtest/gtest.h>

#include "tests/support/fake_disk.h"
#include "tests/support/fake_engine.h"
#include "tests/support/fake_profile.h"
#include "tests/support/fake_ui.h"
#include "tests/support/temp_drives.h"

namespace app {
namespace {

using testing_support::ShownMessage;
using testing_support::notice;


class fTrasvelTest : public ::testing::Test {
 protected:
  fTrasvelTest() {
    fs.addFolder("C:\\KEL\\DATOS");
    fs.addFile("C:\\KEL\\DATOS\\KEL01.MDB", "MDB uno");
  }

  testing_support::TempDrives fs{"C:\\KEL"};
  testing_support::FakeUi ui;
  testing_support::FakeEngine engine{fs};
  testing_support::FakeProfile profile;
  testing_support::FakeDisk disk{fs};
  fTrasvel window{ui, fs, engine, profile, disk};
};

TEST_F(fTrasvelTest, Load_WithoutSettingsOrWithBlanksLeavesCmpEmptyAndUnselected) {
  for (const char* value : {"", "    "}) {
    profile.value = value;
    window.Form_Load();
    EXPECT_EQ(ui.cmp, "") << '"' << value << '"';
    EXPECT_EQ(ui.selectionStart, -1);
  }
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(fTrasvelTest, OtherKeysDoNothing) {
  window.Cmp_KeyDown(65, 0);
  window.Cmp_KeyDown(0, 0);
  EXPECT_EQ(ui.focus, "Cmp");
  EXPECT_FALSE(ui.closed);
}

TEST_F(fTrasvelTest, Reparar_BlanksOnlyIsAMissingName) {
  ui.cmp = "    ";
  ui.focus = "CmProceso";
  window.CmProceso_Click();
  EXPECT_EQ(ui.cmp, "");
  EXPECT_EQ(ui.focus, "Cmp");
  EXPECT_EQ(ui.messages, std::vector<ShownMessage>{
                             notice("Falta informar el nombre de la base de datos a reparar.")});
  EXPECT_EQ(engine.repairs, 0);
}

// Names that do not reach the repair: shown normalised, then the notice.
// (Each kind of name that matches no ordinary file: file_system_test.)
TEST_F(fTrasvelTest, Reparar_NameMatchingNoOrdinaryFileIsRefused) {
  struct Case { const char* typed; const char* shown; };
  for (const Case& c : {Case{"  c:\\datos\\base.mdb  ", "C:\\DATOS\\BASE.MDB"},
                        Case{"c:\\kel\\datos", "C:\\KEL\\DATOS"},  // a folder
                        Case{"c:\\kel\\datos\\", "C:\\KEL\\DATOS\\"}}) {
    SCOPED_TRACE(c.typed);
    ui.cmp = c.typed;
    ui.messages.clear();
    window.CmProceso_Click();
    EXPECT_EQ(ui.cmp, c.shown);
    EXPECT_EQ(ui.messages, std::vector<ShownMessage>{notice(
                               "La base de datos no existe en la unidad o directorio especificado.")});
  }
  EXPECT_EQ(engine.repairs, 0);
  EXPECT_TRUE(ui.cmProcesoEnabled);
}

TEST_F(fTrasvelTest, Reparar_WildcardMatchingAFilePassesTheCheck) {
  ui.cmp = "c:\\kel\\datos\\kel*.mdb";
  window.CmProceso_Click();
  EXPECT_EQ(engine.repairs, 1);
  // The engine is given the pattern itself, which names no database.
  EXPECT_EQ(ui.messages.back(), notice("Base de Datos inexistente."));
  EXPECT_EQ(window.Respuesta(), 0);
}

}  // namespace
}  // namespace app
