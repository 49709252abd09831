// "In use" on Windows, where our open's share mode keeps out what conflicts
// with it: what is left to see is a lock file that a program keeps open (Jet
// does, sharing it with its other users) and a byte lock on the database.
// A lock file nobody holds is a leftover.
#include <gtest/gtest.h>
#include <windows.h>

#include "jet/model/database.h"
#include "tests/support/corpus.h"
#include "tests/support/damage.h"

namespace jet {
namespace {

using namespace testing_support;

TEST(WindowsInUse, HeldLockFileOrByteLockMakesTheDatabaseInUse) {
  REQUIRE_CORPUS();
  TempDir dir;
  const auto mdb = dir / "KEL01.MDB", ldb = dir / "kel01.LdB";
  writeFile(mdb, corpusImage("testV1997.mdb"));
  writeFile(ldb, std::string(64, '\0'));
  auto openError = [&](auto access) { return errorNumber(Database::open(mdb, access)); };
  auto hold = [](const std::filesystem::path& file) {
    return ::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  };
  EXPECT_EQ(openError(Database::Access::kRepair), 0);
  HANDLE held = hold(ldb);
  EXPECT_EQ(openError(Database::Access::kRead), errc::kInUse);
  EXPECT_EQ(openError(Database::Access::kRepair), errc::kInUse);
  ::CloseHandle(held);
  held = hold(mdb);
  OVERLAPPED past{};
  past.Offset = 0x10000000;  // where Jet locks, far past the end
  ASSERT_TRUE(::LockFileEx(held, LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &past));
  EXPECT_EQ(openError(Database::Access::kRead), errc::kInUse);
  ::CloseHandle(held);
  EXPECT_EQ(openError(Database::Access::kRepair), 0);
}

}  // namespace
}  // namespace jet
