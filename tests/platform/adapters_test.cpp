// The engine and disk-figure adapters: what reaches the engine, what comes
// back from it, and which file system the figures describe.
#include <gtest/gtest.h>
#include <sys/statvfs.h>

#include "platform/jet_engine.h"
#include "platform/statvfs_disk_space.h"
#include "tests/support/corpus.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> seen;  // what the stand-in engine was given
std::optional<jet::Error> engineAnswer;

jet::Status recordRepair(const fs::path& p) {
  seen.push_back("repair " + p.string());
  if (engineAnswer) return *engineAnswer;
  return jet::okStatus();
}

jet::Status recordCompact(const fs::path& from, const fs::path& to) {
  seen.push_back("compact " + from.string() + " > " + to.string());
  if (engineAnswer) return *engineAnswer;
  return jet::okStatus();
}

class JetEngineTest : public ::testing::Test {
 protected:
  JetEngineTest() {
    seen.clear();
    engineAnswer.reset();
    fs::create_directories(dir / "Kel");
    testing_support::writeFile(dir / "Kel" / "kel01.mdb", "x");
    root = fs::canonical(dir.path());
  }
  testing_support::TempDir dir;
  fs::path root;
  DriveMap drives{{{'C', dir.path()}}, dir / "Kel"};
  JetEngine engine{drives, &recordRepair, &recordCompact};
};

TEST_F(JetEngineTest, WindowsNamesReachTheEngineAsLinuxPaths) {
  ASSERT_TRUE(engine.repairDatabase("C:\\KEL\\KEL01.MDB"));
  ASSERT_TRUE(engine.compactDatabase("KEL01.MDB", "\\BORRAR1.MDB"));
  EXPECT_EQ(seen, (std::vector<std::string>{
                      "repair " + (root / "Kel" / "kel01.mdb").string(),
                      "compact " + (root / "Kel" / "kel01.mdb").string() + " > " +
                          (root / "BORRAR1.MDB").string()}));
}

TEST_F(JetEngineTest, EngineErrorsKeepTheirNumberAndText) {
  engineAnswer = jet::Error::notADatabase("kel01.mdb");
  const RunStatus s = engine.repairDatabase("C:\\KEL\\KEL01.MDB");
  ASSERT_FALSE(s);
  EXPECT_EQ(s.error().number, 3049);
  EXPECT_EQ(s.error().description, engineAnswer->description());
}

TEST_F(JetEngineTest, NameOnAMissingDriveIsAMissingDatabase) {
  EXPECT_EQ(engine.repairDatabase("Q:\\KEL01.MDB").error().number, 3044);
  EXPECT_EQ(engine.compactDatabase("KEL01.MDB", "Q:\\X.MDB").error().number, 3044);
  EXPECT_TRUE(seen.empty());
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
