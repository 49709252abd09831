// Windows' GetPrivateProfileStringA on the files of the table that our own
// settings reader (profile_reader.h, the one Linux uses) is tested with: the
// answers the table gives, edge cases included. Files are written in the
// ANSI code page 1252, as the main application writes them.
#include "platform/win32/windows_profile.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/platform/profile_cases.h"
#include "tests/support/corpus.h"

namespace platform {
namespace {

using testing_support::TempDir;
using testing_support::writeFile;

TEST(WindowsProfileTest, GetPrivateProfileStringAAnswersAsOurTableSays) {
  TempDir dir;
  WindowsProfile windows;
  for (const ProfileCase& c : profileCases()) {
    SCOPED_TRACE(c.name);
    writeFile(dir / "TORV.INI", c.bytes);
    EXPECT_EQ(windows.privateProfileString("General", "PathDatosKEL", "", kProfileBuffer,
                                           (dir / "TORV.INI").string()),
              c.value);
  }
  // A missing file gives the fallback.
  EXPECT_EQ(windows.privateProfileString("General", "PathDatosKEL", "", kProfileBuffer,
                                         (dir / "NOHAY.INI").string()),
            "");
}

}  // namespace
}  // namespace platform
