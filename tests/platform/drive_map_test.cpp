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
  // Two drives on one folder: the first letter.
  EXPECT_EQ(DriveMap({{'D', home}, {'E', home}}, home / "Kel").currentFolder(), "D:\\Kel");
}

// Names with their drive, from the root of the current drive or from a
// drive's current folder, and Linux paths (on Z:): letter case ignored, "."
// and ".." as Windows takes them, never above the root; names not on disk
// (yet) keep their spelling below the folders that are. (A folder missing
// is error 76: file_system_test.)
TEST_F(DriveMapTest, NamesResolveAsWindowsReadsThem) {
  struct Case {
    const char* name;
    const char* path;  // below the tree; null for an error
    int error = 0;
  };
  const Case cases[] = {
      {"C:\\KEL\\DATOS\\KEL01.MDB", "home/ana/Kel/Datos/kel01.mdb"},
      {"DATOS\\KEL01.MDB", "home/ana/Kel/Datos/kel01.mdb"},
      {"C:datos/kel01.MDB", "home/ana/Kel/Datos/kel01.mdb"},
      {"..\\kel\\datos\\.\\kel01.mdb", "home/ana/Kel/Datos/kel01.mdb"},
      {"\\..\\..\\KEL\\DATOS\\KEL01.MDB", "home/ana/Kel/Datos/kel01.mdb"},
      {"/home/ana//kel/./datos/kel01.MDB", "home/ana/Kel/Datos/kel01.mdb"},
      {"z:\\HOME\\ana\\Kel\\Datos\\kel01.mdb", "home/ana/Kel/Datos/kel01.mdb"},
      {"C:\\KEL\\DATOS\\", "home/ana/Kel/Datos/"},
      {"\\BORRAR1.MDB", "home/ana/BORRAR1.MDB"},
      {"C:\\KEL\\NUEVA\\X.MDB", "home/ana/Kel/NUEVA/X.MDB"},
      {"1:\\X.MDB", "home/ana/Kel/1:/X.MDB"},  // only letters name drives
      {"D:\\X.MDB", nullptr, 68},
      {"a:\\X.MDB", nullptr, 68},
      {"", nullptr, 52},
  };
  DriveMap d = drivesFrom(home / "Kel");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const RunResult<fs::path> p = d.resolve(c.name);
    if (c.path) EXPECT_EQ(*p, fs::canonical(tree.path()) / c.path);
    else EXPECT_EQ(p.error().number, c.error);
  }
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

TEST_F(DriveMapTest, LinuxPathsTurnBackIntoWindowsNames) {
  DriveMap d = drivesFrom(home);
  const fs::path h = fs::canonical(home);
  EXPECT_EQ(d.windowsName(h / "Kel" / "Datos" / "kel01.mdb"), "C:\\Kel\\Datos\\kel01.mdb");
  EXPECT_EQ(d.windowsName(fs::canonical(tree.path()) / "srv"), "Z:\\srv");
  EXPECT_EQ(d.windowsName(h), "C:\\");
}

}  // namespace
}  // namespace platform
