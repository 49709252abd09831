// The file system of the window's logic on Linux, over temporary drives:
// Windows names, wildcards and letter case, and errno as Windows numbers.
#include <gtest/gtest.h>

#include <memory>
#include <sys/stat.h>

#include "platform/drive_map.h"
#include "platform/file_move.h"
#include "platform/linux_file_system.h"
#include "tests/support/corpus.h"
#include "tests/support/temp_drives.h"
#include "tests/support/unprivileged.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

class FileSystemTest : public ::testing::Test {
 protected:
  FileSystemTest() {
    files.addFolder("C:\\KEL\\DATOS\\SUB.MDB");  // a folder named like a database
    files.addFile("C:\\KEL\\DATOS\\kel01.mdb", "abc");
    files.addFile("C:\\KEL\\DATOS\\.oculta.mdb", "abc");
    files.addFile("C:\\KEL\\DATOS\\vacio.dat", "");
    files.addFolder("C:\\KEL\\NOMBRES");
    for (const char* name : {"Kel2024.mdb", "LEEME", "xxAyyBzz", "año.mdb"}) {
      files.addFile(std::string("C:\\KEL\\NOMBRES\\") + name, "x");
    }
  }
  testing_support::TempDrives files{"C:\\KEL"};
};

// Wildcards as Windows takes them: "*" and "?", letter case ignored, and
// ".*" also matching a name without an extension.
TEST_F(FileSystemTest, ExistenceTestMatchesOrdinaryFilesOnly) {
  for (const char* yes : {"C:\\KEL\\DATOS\\KEL01.MDB", "datos\\kel0?.mdb", "DATOS\\*.MDB",
                          "\\kel\\datos\\*", "DATOS\\VACIO.*", "NOMBRES\\KEL????.MDB",
                          "NOMBRES\\LEEME.*", "NOMBRES\\*A*B*", "NOMBRES\\AÑO*"}) {
    EXPECT_TRUE(files.ordinaryFileExists(yes)) << yes;
  }
  for (const char* no : {"DATOS\\SUB.MDB", "DATOS\\SUB*", "DATOS\\.OCULTA.MDB", "DATOS\\.*",
                         "DATOS\\", "DATOS", "Q:\\KEL01.MDB", "C:\\NADA\\KEL01.MDB",
                         "DATOS\\KEL0.MDB", "NOMBRES\\KEL???.MDB", "NOMBRES\\XX*B",
                         "NOMBRES\\LEEM.*"}) {
    EXPECT_FALSE(files.ordinaryFileExists(no)) << no;
  }
}

TEST_F(FileSystemTest, RemoveDeletesFilesOnly) {
  EXPECT_EQ(files.remove("DATOS\\NADA.MDB").error().number, 53);
  EXPECT_EQ(files.remove("C:\\NADA\\X.MDB").error().number, 76);
  EXPECT_EQ(files.remove("DATOS\\SUB.MDB").error().number, 53);
  EXPECT_EQ(files.remove("Q:\\X.MDB").error().number, 68);
  ASSERT_TRUE(files.remove("datos\\KEL01.MDB"));
  EXPECT_FALSE(files.contents("C:\\KEL\\DATOS\\kel01.mdb"));
}

TEST_F(FileSystemTest, RenameNeverReplaces) {
  files.addFile("C:\\KEL\\OTRA.MDB", "xyz");
  EXPECT_EQ(files.rename("OTRA.MDB", "DATOS\\KEL01.MDB").error().number, 58);
  EXPECT_EQ(files.contents("C:\\KEL\\DATOS\\kel01.mdb"), "abc");
  EXPECT_EQ(files.contents("C:\\KEL\\OTRA.MDB"), "xyz");
  EXPECT_EQ(files.rename("NADA.MDB", "X.MDB").error().number, 53);
  EXPECT_EQ(files.rename("OTRA.MDB", "C:\\NADA\\X.MDB").error().number, 76);
  ASSERT_TRUE(files.rename("otra.mdb", "\\BORRAR2.BAK"));
  EXPECT_FALSE(files.contents("C:\\KEL\\OTRA.MDB"));
  EXPECT_EQ(files.contents("C:\\BORRAR2.BAK"), "xyz");
}

TEST_F(FileSystemTest, LengthOfFilesAndErrors) {
  EXPECT_EQ(*files.fileLength("DATOS\\KEL01.MDB"), 3);
  EXPECT_EQ(*files.fileLength("DATOS\\VACIO.DAT"), 0);
  EXPECT_EQ(files.fileLength("DATOS\\SUB.MDB").error().number, 75);
  EXPECT_EQ(files.fileLength("DATOS\\NADA.DAT").error().number, 53);
  EXPECT_EQ(files.fileLength("C:\\NADA\\NADA.DAT").error().number, 76);
}

TEST_F(FileSystemTest, NameOnDiskAndFlush) {
  EXPECT_EQ(*files.nameOnDisk("C:\\KEL\\DATOS\\KEL01.MDB"), "C:\\KEL\\DATOS\\kel01.mdb");
  EXPECT_EQ(files.nameOnDisk("DATOS\\NADA.MDB").error().number, 53);
  EXPECT_TRUE(files.flush("DATOS\\KEL01.MDB"));
  EXPECT_EQ(files.flush("DATOS\\NADA.MDB").error().number, 53);
}

// A file in a folder that may not be written can be neither removed nor
// renamed, nor moved onto another file system (once copied, the copy is
// taken back and the original keeps its place): 70 each time. The attempts
// run in a child without root's rights, so that this holds under root too;
// in a writable folder beside it the same child does all three, so the
// refusal comes from the folder's mode.
TEST(LinuxFileSystemTest, ReadOnlyFolderIsPermissionDenied) {
  testing_support::TempDir dir;
  ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);  // "nobody" may look inside
  for (const char* folder : {"RO", "RW", "OTRO"}) fs::create_directories(dir / "c" / folder);
  for (const char* folder : {"RO", "RW"}) testing_support::writeFile(dir / "c" / folder / "x.mdb", "x");
  ASSERT_EQ(::chmod((dir / "c").c_str(), 0755), 0);
  ASSERT_EQ(::chmod((dir / "c" / "RO").c_str(), 0555), 0);
  ASSERT_EQ(::chmod((dir / "c" / "RW").c_str(), 0777), 0);
  ASSERT_EQ(::chmod((dir / "c" / "OTRO").c_str(), 0777), 0);
  DriveMap drives({{'C', dir / "c"}}, dir / "c");
  LinuxFileSystem files(drives);
  // The error number of each step (0 when it worked), as one number.
  auto attempt = [&](const std::string& folder) {
    return testing_support::runUnprivileged([&] {
      auto number = [](const auto& r) { return r ? 0 : r.error().number; };
      auto renamed = files.rename(folder + "\\X.MDB", folder + "\\Y.MDB");
      const std::string name = renamed ? "Y.MDB" : "x.mdb";
      auto moved = moveAcrossFileSystems(dir / "c" / folder / name, dir / "c" / "OTRO" / name);
      auto removed = files.remove(folder + "\\" + name);  // 53 once moved
      return number(renamed) * 10000 + number(moved) * 100 + number(removed);
    });
  };
  const testing_support::ChildOutcome readOnly = attempt("RO");
  const testing_support::ChildOutcome writable = attempt("RW");
  ASSERT_TRUE(readOnly.ran) << readOnly.failure;
  ASSERT_TRUE(writable.ran) << writable.failure;
  EXPECT_EQ(readOnly.value, 70 * 10000 + 70 * 100 + 70);
  EXPECT_EQ(writable.value, 53);
  EXPECT_EQ(testing_support::readFile(dir / "c" / "RO" / "x.mdb"), "x");
  EXPECT_FALSE(fs::exists(dir / "c" / "OTRO" / "x.mdb")) << "the copy taken back";
  EXPECT_EQ(testing_support::readFile(dir / "c" / "OTRO" / "Y.MDB"), "x") << "moved from RW";
}

// Where letter case tells files apart: renameExact puts a file at the name
// as spelled, beside one that differs only in case, which stays; a symbolic
// link is seen as one, whether it leads anywhere or not, and removing it
// leaves what it leads to.
TEST(LinuxFileSystemTest, ExactRenameKeepsAnotherCaseApartAndLinksAreNotFollowed) {
  testing_support::TempDir dir;
  DriveMap drives({{'C', dir.path()}}, dir.path());
  LinuxFileSystem files(drives);
  testing_support::writeFile(dir / "kel01.mdb", "otra");
  testing_support::writeFile(dir / "nueva.mdb", "nueva");
  ASSERT_TRUE(files.renameExact("\\NUEVA.MDB", "\\KEL01.MDB"));
  EXPECT_EQ(testing_support::readFile(dir / "KEL01.MDB"), "nueva");
  EXPECT_EQ(testing_support::readFile(dir / "kel01.mdb"), "otra");
  EXPECT_EQ(files.renameExact("\\KEL01.MDB", "\\kel01.mdb").error().number, 58);
  EXPECT_FALSE(files.isSymbolicLink("\\KEL01.MDB"));
  for (const char* target : {"nada", "kel01.mdb"}) {
    SCOPED_TRACE(target);
    fs::create_symlink(dir / target, dir / "ENLACE.BAK");
    EXPECT_TRUE(files.isSymbolicLink("\\ENLACE.BAK"));
    ASSERT_TRUE(files.remove("\\ENLACE.BAK"));
    EXPECT_FALSE(fs::exists(fs::symlink_status(dir / "ENLACE.BAK")));
  }
  EXPECT_EQ(testing_support::readFile(dir / "kel01.mdb"), "otra");
}

// The lock that keeps two windows apart, between processes: one that ends
// holding it (without giving it back, as a crash would end it) leaves it
// free; while this process holds it, a second holder here or in another
// process is refused.
TEST(LinuxFileSystemTest, LockIsExclusiveBetweenProcessesAndGoesWithAProcessEnded) {
  testing_support::TempDir dir;
  ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0);  // "nobody" may make the file
  DriveMap drives({{'C', dir.path()}}, dir.path());
  LinuxFileSystem files(drives);
  // 1 when another process took the lock, 0 when it was refused.
  auto otherProcess = [&] {
    const testing_support::ChildOutcome child = testing_support::runUnprivileged([&] {
      RunResult<std::unique_ptr<FileLock>> held = files.lockExclusive("\\REPARAR.LCK");
      return held && *held ? 1 : 0;
    });
    EXPECT_TRUE(child.ran) << child.failure;
    return child.value;
  };
  EXPECT_EQ(otherProcess(), 1);
  RunResult<std::unique_ptr<FileLock>> mine = files.lockExclusive("\\REPARAR.LCK");
  ASSERT_TRUE(mine);
  EXPECT_TRUE(*mine) << "the ended process's lock is gone";
  EXPECT_FALSE(files.lockExclusive("\\REPARAR.LCK").value()) << "a second holder here";
  EXPECT_EQ(otherProcess(), 0) << "another process while this one holds it";
  EXPECT_TRUE(fs::is_regular_file(dir / "REPARAR.LCK"));
}

}  // namespace
}  // namespace platform
