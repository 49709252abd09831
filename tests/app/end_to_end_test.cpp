// The whole program on real files: the real window (offscreen), the real
// file system over a temporary drive C:, the real engine, and Access 97
// databases from the corpus. Drive C: is <temp>/home, the folder the program
// starts in is C:\KEL, and TORV.INI there names C:\KEL\DATOS. (What the
// repair keeps of the rows is proved in the engine's tests; here, that the
// window's press reaches it and the swap leaves its result in place.)
#include <gtest/gtest.h>

#include <QtTest/QTest>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>

#include "app/f_trasvel.h"
#include "app/trasvel_dialog.h"
#include "platform/drive_map.h"
#include "platform/jet_engine.h"
#include "platform/linux_file_system.h"
#include "platform/linux_profile.h"
#include "platform/qt_ui.h"
#include "platform/statvfs_disk_space.h"
#include "tests/app/qt_test_support.h"
#include "tests/support/corpus.h"
#include "tests/support/damage_generator.h"

namespace app {
namespace {

namespace fs = std::filesystem;
using testing_support::readFile;
using testing_support::writeFile;

class EndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    REQUIRE_CORPUS();
    fs::create_directories(data);
    writeFile(home / "KEL" / "TORV.INI", "[General]\r\nPathDatosKEL=C:\\KEL\\DATOS\r\n");
    fs::copy_file(testing_support::corpusFile("testV1997.mdb"), database);
    window.setLogic(&logic);
    logic.Form_Load();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  }

  // jetdb's exit status and output on the database.
  testing_support::CommandOutput jetdb(const std::string& command) {
    return testing_support::runJetdb(command + " " + testing_support::shellQuote(database.string()));
  }

  testing_support::TempDir temp;
  fs::path home = temp / "home";
  fs::path data = home / "KEL" / "DATOS";
  fs::path database = data / "kel01.mdb";  // lower case on disk, upper case in the window
  platform::DriveMap drives{{{'C', home}, {'Z', temp.path()}}, home / "KEL"};
  platform::LinuxFileSystem files{drives};
  platform::JetEngine engine{drives};
  platform::LinuxProfile profile{drives};
  platform::StatvfsDiskSpace disk{drives};
  TrasvelDialog window;
  platform::QtUi ui{window, window.cmp(), window.cmProceso(), window.lbEsperar()};
  fTrasvel logic{ui, files, engine, profile, disk};
};

TEST_F(EndToEndTest, DamagedDatabaseComesBackWholeInItsPlaceAndTheDamagedFileIsKept) {
  std::string image = readFile(database);
  const testing_support::Damage damage =
      testing_support::applyDamage(image, testing_support::DamageKind::kIndexPage, 1);
  ASSERT_TRUE(damage.applied) << damage.what;
  writeFile(database, image);
  ASSERT_EQ(jetdb("check").status, 1) << damage.what;

  // The settings propose the data folder; the user types the name, answers Yes.
  EXPECT_EQ(window.cmp().text(), QString("C:\\KEL\\DATOS\\KELxx.MDB"));
  testing_support::BoxAnswerer boxes({"Sí"});
  window.cmp().setText("C:\\KEL\\DATOS\\KEL01.MDB");
  QTest::mouseClick(&window.cmProceso(), Qt::LeftButton);
  ASSERT_EQ(boxes.seen.size(), 2u);
  EXPECT_EQ(boxes.seen[1].text, QString("El proceso de reparación de la base de datos ha finalizado."));
  EXPECT_EQ(logic.Respuesta(), -1);
  for (const char* name : {"BORRAR1.MDB", "BORRAR2.BAK", "BORRAR1.LDB"}) {
    EXPECT_FALSE(fs::exists(fs::symlink_status(home / name))) << name << " left";
  }
  EXPECT_EQ(jetdb("check").status, 0) << "the indexes rebuilt from the rows";
  // The database, under its own name letter for letter, and the damaged file as it was.
  EXPECT_EQ(testing_support::folderEntries(data),
            (std::vector<std::string>{"kel01.dañado.mdb", "kel01.mdb"}));
  EXPECT_EQ(readFile(data / "kel01.dañado.mdb"), image);
}

}  // namespace
}  // namespace app
