// "In use": locks held by another process on the database or on its lock
// file, and our own lock shared by readers and taken alone by writers.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include "jet/model/database.h"
#include "tests/support/corpus.h"
#include "tests/support/damage.h"

namespace jet {
namespace {

using namespace testing_support;

// A child process that holds an fcntl lock (the classic, per-process kind a
// file server takes for its Windows clients), or with kFlock a shared
// flock() lock on the whole file (what other programs take), until destroyed.
constexpr short kFlock = -1;
class LockingChild {
 public:
  LockingChild(const std::filesystem::path& path, short type, off_t start = 0, off_t length = 0) {
    int ready[2], release[2];
    EXPECT_EQ(::pipe(ready), 0);
    EXPECT_EQ(::pipe(release), 0);
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(ready[0]);
      ::close(release[1]);  // so that the parent closing its end ends the read
      int fd = ::open(path.c_str(), type == F_WRLCK ? O_RDWR : O_RDONLY);
      struct flock lock {};
      lock.l_type = type;
      lock.l_whence = SEEK_SET;
      lock.l_start = start;
      lock.l_len = length;
      const bool locked = type == kFlock ? ::flock(fd, LOCK_SH | LOCK_NB) == 0
                                         : ::fcntl(fd, F_SETLK, &lock) == 0;
      char ok = (fd >= 0 && locked) ? 'y' : 'n';
      (void)!::write(ready[1], &ok, 1);
      char c;
      (void)!::read(release[0], &c, 1);
      ::_exit(0);
    }
    ::close(ready[1]);
    ::close(release[0]);
    release_ = release[1];
    char ok = 'n';
    EXPECT_EQ(::read(ready[0], &ok, 1), 1);
    ::close(ready[0]);
    locked_ = ok == 'y';
  }
  ~LockingChild() {
    ::close(release_);
    int status = 0;
    ::waitpid(pid_, &status, 0);
  }
  bool locked() const { return locked_; }

 private:
  pid_t pid_ = -1;
  int release_ = -1;
  bool locked_ = false;
};

int openError(const std::filesystem::path& path, Database::Access access = Database::Access::kRead) {
  return errorNumber(Database::open(path, access));
}

class InUse : public ::testing::Test {
 protected:
  void SetUp() override {
    if (corpusFiles().empty()) GTEST_SKIP() << "no corpus";
    mdb_ = dir_ / "KEL01.MDB";
    writeFile(mdb_, corpusImage("testV1997.mdb"));
  }
  TempDir dir_;
  std::filesystem::path mdb_;
};

// Jet locks bytes far past the end of the file (any byte counts), other
// programs lock the whole file: either kind, held by another process on the
// database or on its lock file (named in any letter case), makes the
// database in use while it is held. A lock file nobody holds is a leftover.
TEST_F(InUse, LockHeldByAnotherProcessOnTheDatabaseOrItsLockFile) {
  const auto ldb = dir_ / "kel01.LdB";
  writeFile(ldb, std::string(64, '\0'));
  EXPECT_EQ(openError(mdb_), 0);
  struct Case { std::filesystem::path file; short type; off_t start, length; };
  // Any byte but our own counts: the first, those on either side of ours,
  // one far above it.
  for (const Case& c : {Case{mdb_, F_WRLCK, 0x10000000, 1}, Case{mdb_, F_RDLCK, 0, 0},
                        Case{mdb_, F_WRLCK, 0, 1}, Case{mdb_, F_WRLCK, kOwnLockOffset - 1, 1},
                        Case{mdb_, F_WRLCK, kOwnLockOffset + 1, 1}, Case{mdb_, F_WRLCK, kOwnLockOffset + 4096, 1},
                        Case{mdb_, kFlock, 0, 0}, Case{ldb, F_WRLCK, 0x10000001, 1},
                        Case{ldb, kFlock, 0, 0}}) {
    SCOPED_TRACE(c.file.filename().string() + " lock " + std::to_string(c.type));
    LockingChild child(c.file, c.type, c.start, c.length);
    ASSERT_TRUE(child.locked());
    EXPECT_EQ(openError(mdb_), errc::kInUse);
    EXPECT_EQ(openError(mdb_, Database::Access::kRepair), errc::kInUse);
  }
  EXPECT_EQ(openError(mdb_), 0);  // released when the processes ended
}

TEST_F(InUse, ReadersShareOurLockAndAWriterTakesItAlone) {
  auto reader1 = Database::open(mdb_);
  ASSERT_TRUE(reader1);
  auto reader2 = Database::open(mdb_);
  EXPECT_TRUE(reader2);
  EXPECT_EQ(openError(mdb_, Database::Access::kWrite), errc::kInUse);
  reader1->reset();
  reader2 = Database::open(mdb_);  // drops the second reader
  reader2->reset();
  auto writer = Database::open(mdb_, Database::Access::kWrite);
  ASSERT_TRUE(writer) << writer.error().toString();
  EXPECT_EQ(openError(mdb_), errc::kInUse);
  EXPECT_EQ(openError(mdb_, Database::Access::kWrite), errc::kInUse);
  writer->reset();
  EXPECT_EQ(openError(mdb_), 0);
}

TEST_F(InUse, OurLockIsSeenByAnotherProcess) {
  auto writer = Database::open(mdb_, Database::Access::kWrite);
  ASSERT_TRUE(writer);
  LockingChild child(mdb_, F_RDLCK, 0, 0);
  EXPECT_FALSE(child.locked());  // the other process cannot lock what we write
}

}  // namespace
}  // namespace jet
