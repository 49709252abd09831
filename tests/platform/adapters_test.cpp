// The engine and disk-figure adapters: what reaches the engine, what comes
// back from it, and which file system the figures describe.
#include <gtest/gtest.h>
#include <sys/statvfs.h>

#include "jet/engine.h"
#include "platform/jet_engine.h"
#include "platform/statvfs_disk_space.h"
#include "tests/support/corpus.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

// The real engine behind Windows names: its errors keep their number and
// text, and a name on a missing drive is a missing database. (Names reaching
// the engine as Linux paths, the compaction's two of them, are proved end to
// end, in app/end_to_end_test.)
TEST(JetEngineTest, ErrorsKeepTheirNumberAndTextAndAMissingDriveIsAMissingDatabase) {
  testing_support::TempDir dir;
  testing_support::writeFile(dir / "kel01.mdb", "x");
  DriveMap drives({{'C', dir.path()}}, dir.path());
  JetEngine engine(drives);
  const RunStatus s = engine.repairDatabase("C:\\KEL01.MDB");
  ASSERT_FALSE(s);
  EXPECT_EQ(s.error().number, 3049);
  EXPECT_EQ(s.error().description, jet::repairDatabase(dir / "kel01.mdb").error().description());
  EXPECT_EQ(engine.repairDatabase("Q:\\KEL01.MDB").error().number, 3044);
  EXPECT_EQ(engine.compactDatabase("KEL01.MDB", "Q:\\X.MDB").error().number, 3044);
}

TEST(DiskFiguresTest, BlocksBecomeSectorsAndClusters) {
  DiskFigures f = figuresFromBlocks(4096, 1000, 5000);
  EXPECT_EQ(f.bytesPerSector, 512u);
  EXPECT_EQ(f.sectorsPerCluster, 8u);
  EXPECT_EQ(f.freeClusters, 1000u);
  EXPECT_EQ(f.totalClusters, 5000u);
  f = figuresFromBlocks(1000, 1, 1);  // not a multiple of 512
  EXPECT_EQ(f.bytesPerSector * f.sectorsPerCluster, 1000u);
  f = figuresFromBlocks(std::uint64_t{1} << 33, 1, 1);  // beyond 32 bits: too large, never small
  EXPECT_GT(std::uint64_t{f.bytesPerSector} * f.sectorsPerCluster, 0x7FFFFFFFu);
}

TEST(DiskFiguresTest, FiguresAreThoseOfTheCurrentDrivesFileSystem) {
  struct statvfs shm, tmp;
  testing_support::TempDir dir;
  if (::statvfs("/dev/shm", &shm) != 0 || ::statvfs(dir.path().c_str(), &tmp) != 0 ||
      shm.f_blocks * shm.f_frsize == tmp.f_blocks * tmp.f_frsize) {
    GTEST_SKIP() << "no second file system of another size at /dev/shm";
  }
  DriveMap drives({{'C', dir.path()}, {'Z', "/dev/shm"}}, dir.path());
  StatvfsDiskSpace disk(drives);
  auto totalBytes = [&] {
    DiskFigures f;
    EXPECT_TRUE(disk.diskFreeSpace(f));
    return f.totalClusters * f.sectorsPerCluster * f.bytesPerSector;
  };
  EXPECT_EQ(totalBytes(), tmp.f_blocks * tmp.f_frsize);
  ASSERT_TRUE(drives.setCurrentDrive("Z:"));
  EXPECT_EQ(totalBytes(), shm.f_blocks * shm.f_frsize);
}

}  // namespace
}  // namespace platform
