// Drives over temporary folders: the current drive and folder, and the
// Windows way of finding names on a case-sensitive disk.
#include "platform/drive_map.h"

#include <gtest/gtest.h>

#include "tests/support/corpus.h"

namespace platform {
namespace {

namespace fs = std::filesystem;
using testing_support::TempDir;

class DriveMapTest : public ::testing::Test {
 protected:
  DriveMapTest() {
    fs::create_directories(home / "Kel" / "Datos");
    fs::create_directories(tree / "srv" / "kel");
    testing_support::writeFile(home / "Kel" / "Datos" / "kel01.mdb", "x");
  }
  DriveMap drivesFrom(const fs::path& cwd) { return DriveMap({{'C', home}, {'Z', tree.path()}}, cwd); }

  TempDir tree;  // drive Z:, the "root"
  fs::path home = tree / "home" / "ana";  // drive C:, inside Z: as on Linux
};

TEST_F(DriveMapTest, CurrentDriveIsCInsideTheHomeFolderAndZElsewhere) {
  EXPECT_EQ(drivesFrom(home / "Kel").currentFolder(), "C:\\Kel");
  EXPECT_EQ(drivesFrom(home).currentFolder(), "C:\\");
  EXPECT_EQ(drivesFrom(tree / "srv" / "kel").currentFolder(), "Z:\\srv\\kel");
}

TEST_F(DriveMapTest, NamesResolveIgnoringLetterCase) {
  DriveMap d = drivesFrom(home / "Kel");
  const fs::path file = fs::canonical(home / "Kel" / "Datos" / "kel01.mdb");
  EXPECT_EQ(*d.resolve("C:\\KEL\\DATOS\\KEL01.MDB"), file);
  EXPECT_EQ(*d.resolve("DATOS\\KEL01.MDB"), file);         // from the current folder
  EXPECT_EQ(*d.resolve("C:datos/kel01.MDB"), file);        // the drive's current folder
  EXPECT_EQ(*d.resolve("\\kel\\..\\KEL\\DATOS\\KEL01.MDB"), file);
  // A Linux path is on Z:, whose root is the temporary tree here.
  EXPECT_EQ(*d.resolve("/home/ana/kel/datos/kel01.mdb"), file);
  EXPECT_EQ(*d.resolve("z:\\HOME\\ana\\Kel\\Datos\\kel01.mdb"), file);
}

TEST_F(DriveMapTest, ExactNameWinsOverOneDifferingInCase) {
  testing_support::writeFile(home / "Kel" / "Datos" / "KEL01.MDB", "y");
  testing_support::writeFile(home / "Kel" / "Datos" / "b.mdb", "y");
  testing_support::writeFile(home / "Kel" / "Datos" / "B.mdb", "y");
  DriveMap d = drivesFrom(home / "Kel");
  EXPECT_EQ(d.resolve("DATOS\\KEL01.MDB")->filename(), "KEL01.MDB");
  EXPECT_EQ(d.resolve("DATOS\\kel01.mdb")->filename(), "kel01.mdb");
  EXPECT_EQ(d.resolve("DATOS\\B.MDB")->filename(), "B.mdb");  // first in byte order
}

TEST_F(DriveMapTest, NewNamesKeepTheirSpellingUnderExistingFolders) {
  DriveMap d = drivesFrom(home / "Kel");
  EXPECT_EQ(*d.resolve("\\BORRAR1.MDB"), fs::canonical(home) / "BORRAR1.MDB");
  EXPECT_EQ(*d.resolve("C:\\KEL\\NUEVA\\X.MDB"), fs::canonical(home) / "Kel" / "NUEVA" / "X.MDB");
  RunResult<LinuxPlace> place = d.locate("C:\\KEL\\NUEVA\\X.MDB");
  ASSERT_TRUE(place);
  EXPECT_FALSE(place->folderExists);
  EXPECT_EQ(place->lastPart, "X.MDB");
}

TEST_F(DriveMapTest, UnknownDrivesAndEmptyNamesAreErrors) {
  DriveMap d = drivesFrom(home);
  EXPECT_EQ(d.resolve("D:\\X.MDB").error().number, 68);
  EXPECT_EQ(d.resolve("").error().number, 52);
}

TEST_F(DriveMapTest, LinuxPathsTurnBackIntoWindowsNames) {
  DriveMap d = drivesFrom(home);
  const fs::path h = fs::canonical(home);
  EXPECT_EQ(d.windowsName(h / "Kel" / "Datos" / "kel01.mdb"), "C:\\Kel\\Datos\\kel01.mdb");
  EXPECT_EQ(d.windowsName(fs::canonical(tree.path()) / "srv"), "Z:\\srv");
  EXPECT_EQ(d.windowsName(h), "C:\\");
}

}  // namespace
}  // namespace platform
