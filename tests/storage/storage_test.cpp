// The storage queries: drive normalisation, the current drive around the
// query, overflow, errors, and file lengths.
#include <gtest/gtest.h>

#include <limits>

#include "storage/espacio_libre.h"
#include "storage/longitud_fichero.h"
#include "tests/support/fake_disk.h"
#include "tests/support/fake_ui.h"
#include "tests/support/temp_drives.h"

namespace storage {
namespace {

using testing_support::ShownMessage;

class EspacioLibreTest : public ::testing::Test {
 protected:
  double query(std::string drive) { return EspacioLibreEnDisco(ui, fs, disk, std::move(drive)); }

  testing_support::TempDrives fs{"C:\\KEL"};
  testing_support::FakeDisk disk{fs};
  testing_support::FakeUi ui;
};

// Every way of naming a drive queries that drive, and the drive current
// before is current again; one that does not exist ("" becomes ":", which
// names none) is reported, and the answer is -1.
TEST_F(EspacioLibreTest, EachWayOfNamingADriveQueriesItAndTheCurrentDriveStays) {
  for (const char* drive : {"Z", "Z:", "z:", "Z:\\datos", "Zeta", "", "Q", "Q:\\datos", ":"}) {
    SCOPED_TRACE(drive);
    const bool exists = *drive == 'Z' || *drive == 'z';
    ui.messages.clear();
    disk.askedOn.clear();
    EXPECT_EQ(query(drive), exists ? 8.0 * 512 * 1000 : -1);
    EXPECT_EQ(disk.askedOn, exists ? "Z:\\" : "");
    EXPECT_EQ(ui.messages.size(), exists ? 0u : 1u);
    EXPECT_EQ(fs.currentFolder(), "C:\\KEL");
  }
  EXPECT_EQ(ui.messages.back(), (ShownMessage{"Dispositivo no disponible", "Error =  68",
                                              platform::MessageIcon::None, platform::MessageButtons::Ok}));
}

TEST_F(EspacioLibreTest, FailedFiguresCountAsZero) {
  disk.fails = true;
  EXPECT_EQ(query("C"), 0);
  EXPECT_TRUE(ui.messages.empty());
}

TEST(BytesLibresTest, OnlyTheBytesPerClusterMustFitIn32Bits) {
  constexpr double kOverflow = 2147483647;
  // Just fits: 2^31 - 1 bytes per cluster.
  EXPECT_EQ(bytesLibres({1, 2147483647u, 3, 0}), 3.0 * 2147483647);
  // One more does not.
  EXPECT_EQ(bytesLibres({2, 1073741824u, 3, 0}), kOverflow);
  EXPECT_EQ(bytesLibres({65536, 65536, 1, 0}), kOverflow);
  // Above 4 GiB, exact: 8 x 512 x 3,000,000 = 12,288,000,000.
  EXPECT_EQ(bytesLibres({8, 512, 3000000, 0}), 12288000000.0);
  // More than 2^31 free clusters are a count, not a negative number.
  EXPECT_EQ(bytesLibres({8, 512, 3000000000u, 0}), 4096.0 * 3000000000.0);
  EXPECT_EQ(bytesLibres({}), 0);
}

// The length the file system gives, or its error; a length beyond 32 bits
// is overflow, not a wrong number.
TEST(LongitudFicheroTest, LengthOrErrorAndOverflowBeyond32Bits) {
  class Huge : public testing_support::TempDrives {
   public:
    platform::RunResult<std::int64_t> fileLength(std::string_view name) override {
      if (length < 0) return TempDrives::fileLength(name);
      return length;
    }
    std::int64_t length = -1;
  } fs;
  EXPECT_EQ(LongitudFichero(fs, "C:\\NADA\\NO.DAT").error().number, 76);
  fs.length = std::numeric_limits<std::int32_t>::max();
  EXPECT_EQ(*LongitudFichero(fs, "X"), std::numeric_limits<std::int32_t>::max());
  fs.length += 1;
  const platform::RunResult<std::int32_t> r = LongitudFichero(fs, "X");
  ASSERT_FALSE(r);
  EXPECT_EQ(r.error().number, 6);
  EXPECT_EQ(r.error().description, "Desbordamiento");
}

}  // namespace
}  // namespace storage
