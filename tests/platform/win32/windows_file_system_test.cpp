// The file system of the window's logic on Windows: the system's own
// wildcards, letter case and names, and its error codes turned into the
// same numbers as on Linux (53, 58, 68, 70, 76).
#include "platform/win32/windows_file_system.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "jet/io/path_text.h"
#include "tests/support/corpus.h"

namespace platform {
namespace {

using testing_support::readFile;
using testing_support::TempDir;
using testing_support::writeFile;

// The error number of a failure, 0 for a success.
int number(const RunStatus& s) { return s ? 0 : s.error().number; }
template <class T>
int number(const RunResult<T>& r) { return r ? 0 : r.error().number; }

class WindowsFileSystemTest : public ::testing::Test {
 protected:
  std::string name(const std::string& part) { return jet::utf8Of(dir / part); }
  TempDir dir;
  WindowsFileSystem fs;
};

TEST_F(WindowsFileSystemTest, OrdinaryFilesMatchTheSystemsWildcardsIgnoringCase) {
  writeFile(dir / "Kel01.mdb", "x");
  writeFile(dir / "oculta.mdb", "x");
  ASSERT_TRUE(::SetFileAttributesW((dir / "oculta.mdb").c_str(), FILE_ATTRIBUTE_HIDDEN));
  std::filesystem::create_directory(dir / "CARPETA.MDB");
  EXPECT_TRUE(fs.ordinaryFileExists(name("KEL01.MDB")));
  EXPECT_TRUE(fs.ordinaryFileExists(name("KEL0?.*")));
  EXPECT_FALSE(fs.ordinaryFileExists(name("OCULTA.MDB"))) << "hidden";
  EXPECT_FALSE(fs.ordinaryFileExists(name("CARPETA.MDB"))) << "a folder";
  EXPECT_FALSE(fs.ordinaryFileExists(name("NOHAY\\KEL01.MDB")));
  EXPECT_FALSE(fs.ordinaryFileExists(""));
}

TEST_F(WindowsFileSystemTest, RenameNeverReplacesAndNamesComeAsOnDisk) {
  writeFile(dir / "año.mdb", "uno");
  writeFile(dir / "otro.mdb", "dos");
  EXPECT_EQ(number(fs.rename(name("AÑO.MDB"), name("otro.mdb"))), errnum::kFileExists);
  EXPECT_EQ(number(fs.rename(name("nohay.mdb"), name("x.mdb"))), errnum::kFileNotFound);
  ASSERT_TRUE(fs.rename(name("AÑO.MDB"), name("Nuevo.mdb")));
  EXPECT_EQ(readFile(dir / "Nuevo.mdb"), "uno");
  const RunResult<std::string> own = fs.nameOnDisk(name("NUEVO.MDB"));
  ASSERT_TRUE(own);
  EXPECT_TRUE(own->ends_with("\\Nuevo.mdb")) << *own;
  const RunResult<std::int64_t> length = fs.fileLength(name("nuevo.mdb"));
  ASSERT_TRUE(length);
  EXPECT_EQ(*length, 3);
  ASSERT_TRUE(fs.flush(name("nuevo.mdb")));
}

TEST_F(WindowsFileSystemTest, ErrorsCarryTheNumbersOfLinux) {
  EXPECT_EQ(number(fs.remove(name("nohay.mdb"))), errnum::kFileNotFound);
  EXPECT_EQ(number(fs.remove(name("NOHAY\\x.mdb"))), errnum::kPathNotFound);
  EXPECT_EQ(number(fs.fileLength(name("nohay.mdb"))), errnum::kFileNotFound);
  std::filesystem::create_directory(dir / "carpeta");
  EXPECT_EQ(number(fs.remove(name("carpeta"))), errnum::kFileNotFound) << "no file";
  EXPECT_EQ(number(fs.fileLength(name("carpeta"))), errnum::kPathFileAccess);
  // A file another program has open, sharing nothing, cannot go.
  writeFile(dir / "abierta.mdb", "x");
  HANDLE other = ::CreateFileW((dir / "abierta.mdb").c_str(), GENERIC_READ, 0, nullptr,
                               OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  EXPECT_EQ(number(fs.remove(name("abierta.mdb"))), errnum::kPermissionDenied);
  ::CloseHandle(other);
  EXPECT_TRUE(fs.remove(name("abierta.mdb")));
}

TEST_F(WindowsFileSystemTest, CurrentDriveChangesOnlyToADriveThatExists) {
  const std::string before = fs.currentFolder();
  ASSERT_GE(before.size(), 2u);
  EXPECT_EQ(number(fs.setCurrentDrive("Q:")), errnum::kDeviceUnavailable);
  EXPECT_EQ(fs.currentFolder(), before);
  ASSERT_TRUE(fs.setCurrentDrive(before.substr(0, 1)));
  EXPECT_EQ(fs.currentFolder().substr(0, 2), before.substr(0, 2));
}

}  // namespace
}  // namespace platform
