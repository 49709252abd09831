// Settings files read as Windows' profile function reads them.
#include "platform/profile_reader.h"

#include <gtest/gtest.h>

#include "platform/linux_profile.h"
#include "tests/platform/profile_cases.h"
#include "tests/support/corpus.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

TEST(ProfileEncodingTest, Utf8WhenValidElseCodePage1252) {
  EXPECT_EQ(decodeProfileBytes("C:\\A\xC3\xB1o"), "C:\\Año");
  EXPECT_EQ(decodeProfileBytes("\xEF\xBB\xBF[General]"), "[General]");
  EXPECT_EQ(decodeProfileBytes("C:\\A\xF1o \x80"), "C:\\Año €");
}

// TORV.INI in the current folder, found ignoring case, read as Windows reads
// each file of the table; the fallback when the file is missing or is not a
// file.
TEST(LinuxProfileTest, EachFileOfTheTableReadAsWindowsElseTheFallback) {
  testing_support::TempDir dir;
  DriveMap drives({{'C', dir.path()}}, dir.path());
  auto read = [&](const char* fallback) {
    return LinuxProfile(drives).privateProfileString("General", "PathDatosKEL", fallback,
                                                     kProfileBuffer, ".\\TORV.INI");
  };
  EXPECT_EQ(read("-"), "-");
  fs::create_directory(dir / "TORV.INI");
  EXPECT_EQ(read("-"), "-") << "a folder by that name";
  fs::remove(dir / "TORV.INI");
  for (const ProfileCase& c : profileCases()) {
    SCOPED_TRACE(c.name);
    testing_support::writeFile(dir / "torv.ini", c.bytes);
    EXPECT_EQ(read(""), c.value);
  }
}

}  // namespace
}  // namespace platform
