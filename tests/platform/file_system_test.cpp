// The file system of the window's logic, on disk (over temporary drives) and
// in memory: both must give the same answers and the same error numbers, so
// that the tests of the logic over the memory one say something about Linux.
#include <gtest/gtest.h>

#include <memory>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/drive_map.h"
#include "platform/file_move.h"
#include "platform/linux_file_system.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/corpus.h"
#include "tests/support/unprivileged.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

// A file system with files put in place by name.
class World {
 public:
  virtual ~World() = default;
  virtual Files& files() = 0;
  virtual void folder(const std::string& windowsName) = 0;
  virtual void file(const std::string& windowsName, const std::string& bytes) = 0;
  virtual std::optional<std::string> read(const std::string& windowsName) = 0;
};

// Drive C: is <temp>/c, Z: is <temp>/z; the current folder is C:\KEL.
class DiskWorld : public World {
 public:
  DiskWorld() {
    fs::create_directories(dir / "c" / "KEL");
    fs::create_directories(dir / "z");
  }
  Files& files() override { return files_; }
  void folder(const std::string& name) override { fs::create_directories(path(name)); }
  void file(const std::string& name, const std::string& bytes) override {
    testing_support::writeFile(path(name), bytes);
  }
  std::optional<std::string> read(const std::string& name) override {
    if (!fs::is_regular_file(path(name))) return std::nullopt;
    return testing_support::readFile(path(name));
  }

 private:
  // Names given here are exact, "C:\..." only.
  fs::path path(const std::string& name) {
    fs::path p = dir / "c";
    std::string rest = name.substr(3);
    for (std::size_t at; (at = rest.find('\\')) != std::string::npos; rest.erase(0, at + 1)) {
      p /= rest.substr(0, at);
    }
    return p / rest;
  }
  testing_support::TempDir dir;
  DriveMap drives_{{{'C', dir / "c"}, {'Z', dir / "z"}}, dir / "c" / "KEL"};
  LinuxFileSystem files_{drives_};
};

class MemoryWorld : public World {
 public:
  Files& files() override { return files_; }
  void folder(const std::string& name) override { files_.addFolder(name); }
  void file(const std::string& name, const std::string& bytes) override {
    files_.addFile(name, bytes);
  }
  std::optional<std::string> read(const std::string& name) override {
    return files_.contents(name);
  }

 private:
  MemoryFileSystem files_{"C:\\KEL", "CZ"};
};

class FileSystemTest : public ::testing::TestWithParam<bool> {
 protected:
  FileSystemTest() {
    if (GetParam()) world = std::make_unique<DiskWorld>();
    else world = std::make_unique<MemoryWorld>();
    world->folder("C:\\KEL\\DATOS\\SUB.MDB");  // a folder named like a database
    world->file("C:\\KEL\\DATOS\\kel01.mdb", "abc");
    world->file("C:\\KEL\\DATOS\\.oculta.mdb", "abc");
    world->file("C:\\KEL\\DATOS\\vacio.dat", "");
  }
  Files& files() { return world->files(); }
  std::unique_ptr<World> world;
};

TEST_P(FileSystemTest, ExistenceTestMatchesOrdinaryFilesOnly) {
  for (const char* yes : {"C:\\KEL\\DATOS\\KEL01.MDB", "datos\\kel0?.mdb", "DATOS\\*.MDB",
                          "\\kel\\datos\\*", "DATOS\\VACIO.*"}) {
    EXPECT_TRUE(files().ordinaryFileExists(yes)) << yes;
  }
  for (const char* no : {"DATOS\\SUB.MDB", "DATOS\\SUB*", "DATOS\\.OCULTA.MDB", "DATOS\\.*",
                         "DATOS\\", "DATOS", "Q:\\KEL01.MDB", "C:\\NADA\\KEL01.MDB",
                         "DATOS\\KEL0.MDB"}) {
    EXPECT_FALSE(files().ordinaryFileExists(no)) << no;
  }
}

TEST_P(FileSystemTest, RemoveDeletesFilesOnly) {
  EXPECT_EQ(files().remove("DATOS\\NADA.MDB").error().number, 53);
  EXPECT_EQ(files().remove("C:\\NADA\\X.MDB").error().number, 76);
  EXPECT_EQ(files().remove("DATOS\\SUB.MDB").error().number, 53);
  EXPECT_EQ(files().remove("Q:\\X.MDB").error().number, 68);
  ASSERT_TRUE(files().remove("datos\\KEL01.MDB"));
  EXPECT_FALSE(world->read("C:\\KEL\\DATOS\\kel01.mdb"));
}

TEST_P(FileSystemTest, RenameNeverReplaces) {
  world->file("C:\\KEL\\OTRA.MDB", "xyz");
  EXPECT_EQ(files().rename("OTRA.MDB", "DATOS\\KEL01.MDB").error().number, 58);
  EXPECT_EQ(world->read("C:\\KEL\\DATOS\\kel01.mdb"), "abc");
  EXPECT_EQ(world->read("C:\\KEL\\OTRA.MDB"), "xyz");
  EXPECT_EQ(files().rename("NADA.MDB", "X.MDB").error().number, 53);
  EXPECT_EQ(files().rename("OTRA.MDB", "C:\\NADA\\X.MDB").error().number, 76);
  ASSERT_TRUE(files().rename("otra.mdb", "\\BORRAR2.BAK"));
  EXPECT_FALSE(world->read("C:\\KEL\\OTRA.MDB"));
  EXPECT_EQ(world->read("C:\\BORRAR2.BAK"), "xyz");
}

TEST_P(FileSystemTest, LengthOfFilesAndErrors) {
  EXPECT_EQ(*files().fileLength("DATOS\\KEL01.MDB"), 3);
  EXPECT_EQ(*files().fileLength("DATOS\\VACIO.DAT"), 0);
  EXPECT_EQ(files().fileLength("DATOS\\SUB.MDB").error().number, 75);
  EXPECT_EQ(files().fileLength("DATOS\\NADA.DAT").error().number, 53);
  EXPECT_EQ(files().fileLength("C:\\NADA\\NADA.DAT").error().number, 76);
}

TEST_P(FileSystemTest, NameOnDiskAndFlush) {
  EXPECT_EQ(*files().nameOnDisk("C:\\KEL\\DATOS\\KEL01.MDB"), "C:\\KEL\\DATOS\\kel01.mdb");
  EXPECT_EQ(files().nameOnDisk("DATOS\\NADA.MDB").error().number, 53);
  EXPECT_TRUE(files().flush("DATOS\\KEL01.MDB"));
  EXPECT_EQ(files().flush("DATOS\\NADA.MDB").error().number, 53);
}

TEST_P(FileSystemTest, EachDriveKeepsItsOwnCurrentFolder) {
  ASSERT_TRUE(files().setCurrentDrive("Z:"));
  EXPECT_EQ(files().currentFolder(), "Z:\\");
  EXPECT_EQ(files().setCurrentDrive("Q:").error().number, 68);
  EXPECT_EQ(files().currentFolder(), "Z:\\") << "unchanged by a drive that is missing";
  ASSERT_TRUE(files().setCurrentDrive("c"));
  EXPECT_EQ(files().currentFolder(), "C:\\KEL");
}

INSTANTIATE_TEST_SUITE_P(DiskAndMemory, FileSystemTest, ::testing::Values(true, false),
                         [](const auto& row) { return row.param ? "Disk" : "Memory"; });

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
  for (const char* folder : {"RO", "RW"}) {
    testing_support::writeFile(dir / "c" / folder / "x.mdb", "x");
  }
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

// The lock that keeps two windows apart, between two processes: a child
// holds it, the parent is refused; the child is killed, as a crash would end
// it, and the lock is free. Within one process, a second lock is refused too.
TEST(LinuxFileSystemTest, LockIsExclusiveBetweenProcessesAndGoesWithAProcessKilled) {
  testing_support::TempDir dir;
  DriveMap drives({{'C', dir.path()}}, dir.path());
  LinuxFileSystem files(drives);
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    RunResult<std::unique_ptr<FileLock>> held = files.lockExclusive("\\REPARAR.LCK");
    const char answer = held && *held ? 'y' : 'n';
    if (::write(ready[1], &answer, 1) != 1) ::_exit(1);
    for (;;) ::pause();
  }
  ::close(ready[1]);
  char answer = 0;
  const bool heard = ::read(ready[0], &answer, 1) == 1;
  ::close(ready[0]);
  RunResult<std::unique_ptr<FileLock>> refused = files.lockExclusive("\\REPARAR.LCK");
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  ASSERT_TRUE(heard);
  EXPECT_EQ(answer, 'y');
  ASSERT_TRUE(refused);
  EXPECT_FALSE(*refused) << "the child holds it";

  RunResult<std::unique_ptr<FileLock>> mine = files.lockExclusive("\\REPARAR.LCK");
  ASSERT_TRUE(mine);
  EXPECT_TRUE(*mine) << "the killed child's lock is gone";
  RunResult<std::unique_ptr<FileLock>> again = files.lockExclusive("\\REPARAR.LCK");
  ASSERT_TRUE(again);
  EXPECT_FALSE(*again) << "a second holder in this process";
  EXPECT_TRUE(fs::is_regular_file(dir / "REPARAR.LCK"));
}

}  // namespace
}  // namespace platform
