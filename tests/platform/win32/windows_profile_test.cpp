// Our own settings reader (profile_reader.h, the one Linux uses) against
// Windows' GetPrivateProfileStringA, on the same files: the same answer for
// every file of the table, edge cases included. Files are written in the
// ANSI code page 1252, as the main application writes them.
#include "platform/win32/windows_profile.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/profile_reader.h"
#include "platform/text.h"
#include "tests/support/corpus.h"

namespace platform {
namespace {

using testing_support::TempDir;
using testing_support::writeFile;

constexpr std::size_t kSize = 250;

// What our reader answers for the bytes, as the profile function would:
// the value or "", cut to the buffer less its terminator.
std::string ours(const std::string& bytes, const char* section, const char* key) {
  const auto found = findProfileValue(decodeProfileBytes(bytes), section, key);
  return utf16Prefix(found ? *found : "", kSize - 1);
}

struct Case {
  const char* name;
  std::string bytes;
  const char* section = "General";
  const char* key = "PathDatosKEL";
};

TEST(WindowsProfileTest, OurReaderAnswersAsGetPrivateProfileStringA) {
  const std::string longValue(300, 'k');
  const Case cases[] = {
      {"plain", "[General]\r\nPathDatosKEL=C:\\KEL\\DATOS\r\n"},
      {"blanks and tabs around names and value",
       "[ General ]\r\n \tPathDatosKEL \t= \tC:\\KEL\\DATOS \t\r\n"},
      {"letter case of section and key", "[GENERAL]\r\npathdatoskel=c:\\kel\r\n"},
      {"double quotes", "[General]\r\nPathDatosKEL=\"C:\\KEL\\DATOS\"\r\n"},
      {"single quotes", "[General]\r\nPathDatosKEL='C:\\KEL'\r\n"},
      {"unmatched quote", "[General]\r\nPathDatosKEL=\"C:\\KEL\r\n"},
      {"comment line", "[General]\r\n;PathDatosKEL=no\r\nPathDatosKEL=si\r\n"},
      {"first of two keys", "[General]\r\nPathDatosKEL=uno\r\nPathDatosKEL=dos\r\n"},
      {"key in another section", "[Otra]\r\nPathDatosKEL=no\r\n[General]\r\nX=1\r\n"},
      {"no such section", "[Otra]\r\nPathDatosKEL=no\r\n"},
      {"empty value", "[General]\r\nPathDatosKEL=\r\n"},
      {"blank value", "[General]\r\nPathDatosKEL=   \r\n"},
      {"value longer than the buffer", "[General]\r\nPathDatosKEL=" + longValue + "\r\n"},
      {"no line end at the end", "[General]\r\nPathDatosKEL=C:\\KEL"},
      {"line feeds alone", "[General]\nPathDatosKEL=C:\\KEL\n"},
      {"code page 1252", "[General]\r\nPathDatosKEL=C:\\A\xD1O\\D\xC1TOS\r\n"},
      {"equals sign in the value", "[General]\r\nPathDatosKEL=a=b\r\n"},
      {"text after the value", "[General]\r\nPathDatosKEL=C:\\KEL ; datos\r\n"},
      {"empty file", ""},
  };
  TempDir dir;
  WindowsProfile windows;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    writeFile(dir / "TORV.INI", c.bytes);
    const std::string file = (dir / "TORV.INI").string();
    EXPECT_EQ(ours(c.bytes, c.section, c.key),
              windows.privateProfileString(c.section, c.key, "", kSize, file));
  }
  // A missing file gives the fallback on both sides.
  EXPECT_EQ(windows.privateProfileString("General", "PathDatosKEL", "", kSize,
                                         (dir / "NOHAY.INI").string()),
            "");
}

}  // namespace
}  // namespace platform
