// The whole program on real files: the real window (offscreen), the real
// file system over a temporary drive C:, the real engine, and Access 97
// databases from the corpus. Drive C: is <temp>/home, the folder the program
// starts in is C:\KEL, and TORV.INI there names C:\KEL\DATOS.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

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
    testing_support::qtApp();
    fs::create_directories(data);
    writeFile(home / "KEL" / "TORV.INI", "[General]\r\nPathDatosKEL=C:\\KEL\\DATOS\r\n");
    fs::copy_file(testing_support::corpusFile("testV1997.mdb"), database);
    drives = std::make_unique<platform::DriveMap>(
        platform::DriveMap::Roots{{'C', home}, {'Z', temp.path()}}, home / "KEL");
    files = std::make_unique<platform::LinuxFileSystem>(*drives);
    engine = std::make_unique<platform::JetEngine>(*drives);
    profile = std::make_unique<platform::LinuxProfile>(*drives);
    disk = std::make_unique<platform::StatvfsDiskSpace>(*drives);
    window = std::make_unique<TrasvelDialog>();
    ui = std::make_unique<platform::QtUi>(*window, window->cmp(), window->cmProceso(),
                                          window->lbEsperar());
    logic = std::make_unique<fTrasvel>(*ui, *files, *engine, *profile, *disk);
    window->setLogic(logic.get());
    logic->Form_Load();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  }

  // jetdb's exit status and output on the database; `after` follows its name.
  testing_support::CommandOutput jetdb(const std::string& command, const std::string& after = "") {
    return testing_support::runCommand(
        testing_support::shellQuote(testing_support::jetdbPath().string()) + " " + command + " " +
        testing_support::shellQuote(database.string()) + " " + after + " 2>&1");
  }

  testing_support::TempDir temp;
  fs::path home = temp / "home";
  fs::path data = home / "KEL" / "DATOS";
  fs::path database = data / "kel01.mdb";  // lower case on disk, upper case in the window
  std::unique_ptr<platform::DriveMap> drives;
  std::unique_ptr<platform::LinuxFileSystem> files;
  std::unique_ptr<platform::JetEngine> engine;
  std::unique_ptr<platform::LinuxProfile> profile;
  std::unique_ptr<platform::StatvfsDiskSpace> disk;
  std::unique_ptr<TrasvelDialog> window;
  std::unique_ptr<platform::QtUi> ui;
  std::unique_ptr<fTrasvel> logic;
};

TEST_F(EndToEndTest, DamagedDatabaseComesBackWholeInItsPlaceAndTheDamagedFileIsKept) {
  // The tables as they were, by name: the repaired file has one more.
  std::string tables;
  std::istringstream names(jetdb("tables").out);
  for (std::string name; std::getline(names, name);) tables += testing_support::shellQuote(name) + " ";
  const std::string rowsBefore = jetdb("dump --format json", tables).out;
  std::string image = readFile(database);
  const testing_support::Damage damage =
      testing_support::applyDamage(image, testing_support::DamageKind::kIndexPage, 1);
  ASSERT_TRUE(damage.applied) << damage.what;
  writeFile(database, image);
  ASSERT_EQ(jetdb("check").status, 1) << damage.what;

  // The settings propose the data folder; the user types the name, answers Yes.
  EXPECT_EQ(window->cmp().text(), QString("C:\\KEL\\DATOS\\KELxx.MDB"));
  testing_support::BoxAnswerer boxes({"Sí"});
  window->cmp().setText("C:\\KEL\\DATOS\\KEL01.MDB");
  QTest::mouseClick(&window->cmProceso(), Qt::LeftButton);
  ASSERT_EQ(boxes.seen.size(), 2u);
  EXPECT_EQ(boxes.seen[1].text, QString("El proceso de reparación de la base de datos ha finalizado."));
  EXPECT_EQ(logic->Respuesta(), -1);
  for (const char* name : {"BORRAR1.MDB", "BORRAR2.BAK", "BORRAR1.LDB"}) {
    EXPECT_FALSE(fs::exists(fs::symlink_status(home / name))) << name << " left";
  }
  EXPECT_EQ(jetdb("check").status, 0) << "the indexes rebuilt from the rows";
  EXPECT_EQ(jetdb("dump --format json", tables).out, rowsBefore) << "no row lost, none added";
  EXPECT_NE(jetdb("tables --system").out.find("MSysCompactError"), std::string::npos);
  std::vector<std::string> entries;
  for (const auto& e : fs::directory_iterator(data)) entries.push_back(e.path().filename());
  std::sort(entries.begin(), entries.end());
  ASSERT_EQ(entries.size(), 2u) << "the database and the damaged file as it was";
  EXPECT_EQ(entries[1], "kel01.mdb");
  EXPECT_EQ(readFile(data / entries[0]), image);
}

}  // namespace
}  // namespace app
