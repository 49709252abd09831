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
#include "tests/support/foreign_lock.h"

namespace app {
namespace {

namespace fs = std::filesystem;
using testing_support::readFile;
using testing_support::writeFile;

const QString kFinished = "El proceso de reparación de la base de datos ha finalizado.";

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

  // Types `name` over the proposed one and presses "Reparar", answering
  // the boxes with `answers`; returns what they showed.
  std::vector<testing_support::SeenBox> repair(const QString& name, QStringList answers) {
    testing_support::BoxAnswerer boxes(std::move(answers));
    window->cmp().setText(name);
    QTest::mouseClick(&window->cmProceso(), Qt::LeftButton);
    return boxes.seen;
  }

  // Links included, whether or not they lead anywhere.
  std::vector<std::string> scratchFilesLeft() {
    std::vector<std::string> left;
    for (const char* name : {"BORRAR1.MDB", "BORRAR2.BAK", "BORRAR1.LDB"}) {
      if (fs::exists(fs::symlink_status(home / name))) left.push_back(name);
    }
    return left;
  }

  // jetdb's exit status and output on `file` (the database unless given);
  // `after` follows its name.
  testing_support::CommandOutput jetdb(const std::string& command, const std::string& after = "",
                                       const fs::path& file = {}) {
    return testing_support::runCommand(
        testing_support::shellQuote(testing_support::jetdbPath().string()) + " " + command + " " +
        testing_support::shellQuote((file.empty() ? database : file).string()) + " " + after +
        " 2>&1");
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

TEST_F(EndToEndTest, TheSettingsProposeTheDataFolder) {
  EXPECT_EQ(window->cmp().text(), QString("C:\\KEL\\DATOS\\KELxx.MDB"));
  EXPECT_EQ(window->cmp().selectedText(), QString("x"));
}

TEST_F(EndToEndTest, Yes_RepairsAndCompactsInPlaceLeavingNoScratchFile) {
  const std::string rowsBefore = jetdb("dump --format json").out;
  const auto boxes = repair("c:\\kel\\datos\\kel01.mdb", {"Sí"});
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].text, kFinished);
  EXPECT_EQ(logic->Respuesta(), -1);
  EXPECT_TRUE(scratchFilesLeft().empty());
  std::vector<std::string> entries;
  for (const auto& e : fs::directory_iterator(data)) entries.push_back(e.path().filename());
  EXPECT_EQ(entries, std::vector<std::string>{"kel01.mdb"}) << "the name as it was on disk";
  EXPECT_EQ(jetdb("check").status, 0) << "a clean database";
  EXPECT_EQ(jetdb("dump --format json").out, rowsBefore) << "every row kept";
}

TEST_F(EndToEndTest, Yes_DamagedDatabaseComesBackWholeAndTheDamagedFileIsKept) {
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

  const auto boxes = repair("C:\\KEL\\DATOS\\KEL01.MDB", {"Sí"});
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].text, kFinished);
  EXPECT_TRUE(scratchFilesLeft().empty());
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

// A "\BORRAR2.BAK" found before the swap may be a database's only copy: it
// goes to the first free "\BORRAR2 (n).BAK", and the user is told where.
TEST_F(EndToEndTest, StaleBakIsMovedToAFreeNameBeforeTheSwap) {
  writeFile(home / "BORRAR2.BAK", "de otra vez");
  writeFile(home / "BORRAR2 (1).BAK", "de antes");
  const auto boxes = repair("C:\\KEL\\DATOS\\KEL01.MDB", {"Sí"});
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_NE(boxes[1].text.indexOf("ahora se llama C:\\BORRAR2 (2).BAK."), -1)
      << boxes[1].text.toStdString();
  EXPECT_EQ(boxes[2].text, kFinished);
  EXPECT_TRUE(scratchFilesLeft().empty());
  EXPECT_EQ(readFile(home / "BORRAR2 (1).BAK"), "de antes");
  EXPECT_EQ(readFile(home / "BORRAR2 (2).BAK"), "de otra vez");
  EXPECT_EQ(jetdb("check").status, 0);
}

// A symbolic link at "\BORRAR2.BAK" holds no database, whether it leads
// nowhere or to a file: the link goes, what it leads to stays.
TEST_F(EndToEndTest, LinkAtTheBakIsRemovedAndNotFollowed) {
  writeFile(temp / "otra.mdb", "otra");
  for (const char* target : {"nada", "otra.mdb"}) {
    SCOPED_TRACE(target);
    fs::create_symlink(temp / target, home / "BORRAR2.BAK");
    const auto boxes = repair("C:\\KEL\\DATOS\\KEL01.MDB", {"Sí"});
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, kFinished);
    EXPECT_TRUE(scratchFilesLeft().empty());
  }
  EXPECT_EQ(readFile(temp / "otra.mdb"), "otra");
  EXPECT_EQ(jetdb("check").status, 0);
}

// Two databases whose names differ only in letter case: the window names
// KEL01.MDB, which is repaired in its place; kel01.mdb is another file.
TEST_F(EndToEndTest, NamesThatDifferOnlyInCaseAreTwoDatabases) {
  const fs::path upper = data / "KEL01.MDB";
  fs::copy_file(testing_support::corpusFile("test2V1997.mdb"), upper);
  const std::string other = readFile(database);
  const auto boxes = repair("C:\\KEL\\DATOS\\KEL01.MDB", {"Sí"});
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].text, kFinished);
  EXPECT_TRUE(scratchFilesLeft().empty());
  EXPECT_EQ(readFile(database), other);
  EXPECT_EQ(jetdb("check", "", upper).status, 0);
  EXPECT_NE(readFile(upper), readFile(testing_support::corpusFile("test2V1997.mdb")))
      << "compacted, in its own place";
}

TEST_F(EndToEndTest, DatabaseInUseIsNotTouched) {
  testing_support::ForeignLock other(database);
  ASSERT_TRUE(other.held());
  const std::string before = readFile(database);
  const auto boxes = repair("C:\\KEL\\DATOS\\KEL01.MDB", {"Sí"});
  other.release();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].text, QString("La Base de Datos a reparar en estos momentos está en uso. El "
                                   "proceso de Reparación queda cancelado."));
  EXPECT_EQ(readFile(database), before);
  EXPECT_TRUE(scratchFilesLeft().empty());
  EXPECT_EQ(logic->Respuesta(), 0);
}

}  // namespace
}  // namespace app
