// Moving a file onto another file system: copy, flush, rename, remove, and
// the original left whole whenever the move does not happen.
#include "platform/file_move.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/drive_map.h"
#include "platform/linux_file_system.h"
#include "tests/support/corpus.h"

namespace platform {
namespace {

namespace fs = std::filesystem;
using testing_support::folderEntries;
using testing_support::readFile;
using testing_support::TempDir;
using testing_support::writeFile;

TEST(MoveAcrossFileSystemsTest, CopiesBytesAndModeThenRemovesTheOriginal) {
  TempDir from, to;
  std::string bytes(3 << 20, '\0');  // more than one copy buffer
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
  writeFile(from / "KEL01.MDB", bytes);
  fs::permissions(from / "KEL01.MDB", fs::perms::owner_read | fs::perms::owner_write |
                                          fs::perms::group_read);
  ASSERT_TRUE(moveAcrossFileSystems(from / "KEL01.MDB", to / "BORRAR2.BAK"));
  EXPECT_EQ(folderEntries(from.path()), std::vector<std::string>{});
  EXPECT_EQ(folderEntries(to.path()), std::vector<std::string>{"BORRAR2.BAK"});  // no copy left over
  EXPECT_EQ(readFile(to / "BORRAR2.BAK"), bytes);
  EXPECT_EQ(fs::status(to / "BORRAR2.BAK").permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

// An existing target is never replaced; a missing folder or source, or a
// folder for a file, is refused: the original stays, and no copy is left.
TEST(MoveAcrossFileSystemsTest, FailuresLeaveTheOriginalAndNoCopy) {
  TempDir from, to;
  writeFile(from / "A", "datos");
  writeFile(to / "B", "viejo");
  EXPECT_EQ(moveAcrossFileSystems(from / "A", to / "B").error().number, 58);
  EXPECT_EQ(moveAcrossFileSystems(from / "A", to / "NADA" / "C").error().number, 76);
  EXPECT_EQ(moveAcrossFileSystems(from / "X", to / "C").error().number, 53);
  EXPECT_EQ(moveFile(from / "X", to / "NADA" / "C").error().number, 53);  // the source first
  fs::create_directory(from / "CARPETA");
  EXPECT_EQ(moveAcrossFileSystems(from / "CARPETA", to / "C").error().number, 74);
  EXPECT_EQ(readFile(from / "A"), "datos");
  EXPECT_EQ(readFile(to / "B"), "viejo");
  EXPECT_EQ(folderEntries(to.path()), std::vector<std::string>{"B"});
}

// (An original that cannot be removed once copied keeps its place: in
// file_system_test, with the read-only folder.)
// A real move between two file systems: the temporary folder and the
// shared-memory one (/dev/shm), when they differ.
TEST(MoveAcrossFileSystemsTest, RenameBetweenRealFileSystemsMovesTheFile) {
  struct stat shm, tmp;
  TempDir home;
  if (::stat("/dev/shm", &shm) != 0 || ::stat(home.path().c_str(), &tmp) != 0 ||
      shm.st_dev == tmp.st_dev || ::access("/dev/shm", W_OK) != 0) {
    GTEST_SKIP() << "no second file system at /dev/shm";
  }
  const fs::path other = fs::path("/dev/shm") / home.path().filename();
  fs::create_directory(other);
  struct Cleanup {
    fs::path p;
    ~Cleanup() { fs::remove_all(p); }
  } cleanup{other};
  writeFile(other / "kel01.mdb", "MDB en otro disco");
  DriveMap drives({{'C', home.path()}, {'Z', other}}, home.path());
  LinuxFileSystem files(drives);
  ASSERT_TRUE(files.rename("Z:\\KEL01.MDB", "\\BORRAR2.BAK"));
  EXPECT_EQ(readFile(home / "BORRAR2.BAK"), "MDB en otro disco");
  EXPECT_FALSE(fs::exists(other / "kel01.mdb"));
  ASSERT_TRUE(files.rename("\\BORRAR2.BAK", "Z:\\kel01.mdb"));
  EXPECT_EQ(readFile(other / "kel01.mdb"), "MDB en otro disco");
  EXPECT_EQ(folderEntries(home.path()), std::vector<std::string>{});
}

}  // namespace
}  // namespace platform
