// The file operations that put a new database in place, on the real file
// system, in a temporary folder. (Replacing a database by its repaired copy
// is what every repair does: repair_test.cpp.)
#include <gtest/gtest.h>

#include <optional>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "jet/io/file.h"
#include "jet/io/file_system.h"
#include "tests/support/corpus.h"

namespace jet {
namespace {

using namespace testing_support;

std::span<const std::byte> bytesOf(const std::string& s) {
  return {reinterpret_cast<const std::byte*>(s.data()), s.size()};
}

// Descriptor 0 free while it lives, as a program without standard input has
// it (a service; on Windows, a program without a console): a file may get it.
class NoInput {
 public:
  NoInput() : saved_(::dup(0)) { ::close(0); }
  ~NoInput() {
    ::dup2(saved_, 0);
    ::close(saved_);
  }
  NoInput(const NoInput&) = delete;

 private:
  int saved_;
};

TEST(FileSystemTest, CreateNewWritesAFileAndNeverOverwritesOne) {
  for (bool noInput : {false, true}) {
    SCOPED_TRACE(noInput ? "descriptor 0 free" : "standard input open");
    std::optional<NoInput> free;
    if (noInput) free.emplace();
    TempDir dir;
    FileSystem& fs = localFileSystem();
    auto file = fs.createNew(dir / "nueva.mdb");
    ASSERT_TRUE(file.ok()) << file.error().toString();
    ASSERT_TRUE((*file)->writeAt(4, bytesOf("dato")).ok());
    ASSERT_TRUE((*file)->writeAt(0, bytesOf("abcd")).ok());
    ASSERT_TRUE((*file)->sync().ok());
    ASSERT_TRUE((*file)->close().ok());
    EXPECT_TRUE((*file)->close().ok());  // a second close does nothing
    EXPECT_EQ(readFile(dir / "nueva.mdb"), "abcddato");

    EXPECT_EQ(errorNumber(fs.createNew(dir / "nueva.mdb")), errc::kAlreadyExists);
    EXPECT_EQ(readFile(dir / "nueva.mdb"), "abcddato");
  }
}

TEST(FileSystemTest, LinkGivesASecondNameUnlessTheNameIsTaken) {
  TempDir dir;
  FileSystem& fs = localFileSystem();
  writeFile(dir / "a.mdb", "original");
  writeFile(dir / "ocupado.mdb", "otro");
  ASSERT_TRUE(fs.link(dir / "a.mdb", dir / "copia.mdb").ok());
  EXPECT_EQ(readFile(dir / "copia.mdb"), "original");
  EXPECT_EQ(errorNumber(fs.link(dir / "a.mdb", dir / "ocupado.mdb")), errc::kAlreadyExists);
  EXPECT_EQ(readFile(dir / "ocupado.mdb"), "otro");
}

TEST(FileSystemTest, RemoveExistsAndPermissions) {
  TempDir dir;
  FileSystem& fs = localFileSystem();
  writeFile(dir / "modelo.mdb", "x");
  writeFile(dir / "destino.mdb", "y");
#ifdef _WIN32
  // Rights on Windows are the folder's; the attributes a user sets go along.
  ASSERT_TRUE(::SetFileAttributesW((dir / "modelo.mdb").c_str(), FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(fs.copyPermissions(dir / "modelo.mdb", dir / "destino.mdb").ok());
  EXPECT_EQ(::GetFileAttributesW((dir / "destino.mdb").c_str()) & FILE_ATTRIBUTE_HIDDEN,
            DWORD{FILE_ATTRIBUTE_HIDDEN});
#else
  ASSERT_EQ(::chmod((dir / "modelo.mdb").c_str(), 0640), 0);
  ASSERT_TRUE(fs.copyPermissions(dir / "modelo.mdb", dir / "destino.mdb").ok());
  struct stat st {};
  ASSERT_EQ(::stat((dir / "destino.mdb").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  // A read the system refuses is an error, not tried again: nothing is
  // mapped at address 0 of this process.
  std::array<std::byte, 1> one{};
  const auto read = File::open("/proc/self/mem").value().readAt(0, one);
  EXPECT_EQ(read ? 0 : read.error().number(), errc::kIoError);
  // With standard input closed, a file opened takes descriptor 0, once: the
  // errno an earlier call left says nothing of this open.
  {
    NoInput free;
    errno = EINTR;
    EXPECT_EQ(File::open(dir / "destino.mdb").value().descriptor(), 0);
  }
#endif

  EXPECT_TRUE(*fs.exists(dir / "destino.mdb"));
  ASSERT_TRUE(fs.remove(dir / "destino.mdb").ok());
  EXPECT_FALSE(*fs.exists(dir / "destino.mdb"));
  EXPECT_TRUE(fs.remove(dir / "destino.mdb").ok());  // already gone
  // A name the system refuses (a character no Windows name holds, a Linux
  // name too long) is an error, not an absence.
  const bool windows = std::filesystem::path::preferred_separator == L'\\';
  EXPECT_FALSE(fs.exists(dir / (windows ? std::string("a|b") : std::string(300, 'x'))).ok());
  EXPECT_EQ(folderOf("base.mdb"), std::filesystem::path("."));
  EXPECT_EQ(folderOf(dir / "base.mdb"), dir.path());
}

}  // namespace
}  // namespace jet
