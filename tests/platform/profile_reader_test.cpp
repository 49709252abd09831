// Settings files read as Windows' profile function reads them.
#include "platform/profile_reader.h"

#include <gtest/gtest.h>

#include "platform/linux_profile.h"

#include "tests/support/corpus.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

std::optional<std::string> find(std::string_view text) {
  return findProfileValue(text, "General", "PathDatosKEL");
}

TEST(ProfileFormatTest, NamesIgnoreCaseAndBlanksAroundNamesAndValuesGo) {
  EXPECT_EQ(find("[General]\nPathDatosKEL=C:\\KEL"), "C:\\KEL");
  EXPECT_EQ(find("  [ general ]  \r\n\t pathdatoskel \t=  C:\\Mis Datos  \r\n"), "C:\\Mis Datos");
  EXPECT_EQ(find("[GENERAL]\nPATHDATOSKEL=\n"), "");
}

TEST(ProfileFormatTest, CommentsOtherSectionsAndTheFirstMatchWins) {
  EXPECT_EQ(find("PathDatosKEL=fuera\n[Otra]\nPathDatosKEL=otra\n"), std::nullopt);
  EXPECT_EQ(find("[General]\n;PathDatosKEL=comentario\nPathDatosKEL=primera\n"
                 "PathDatosKEL=segunda\n[General]\nPathDatosKEL=tercera"),
            "primera");
  EXPECT_EQ(find("[Otra]\nPathDatosKEL=no\n[General]\nPathDatosKEL=si\n"), "si");
  EXPECT_EQ(find("[General]\nOtraClave=x\n"), std::nullopt);
  // A value keeps what follows a ";" on its line, as on Windows.
  EXPECT_EQ(find("[General]\nPathDatosKEL=C:\\KEL ; datos\n"), "C:\\KEL ; datos");
}

TEST(ProfileFormatTest, OnePairOfMatchingQuotesIsDropped) {
  EXPECT_EQ(find("[General]\nPathDatosKEL=\"C:\\Mis Datos\"\n"), "C:\\Mis Datos");
  EXPECT_EQ(find("[General]\nPathDatosKEL='C:\\KEL'\n"), "C:\\KEL");
  EXPECT_EQ(find("[General]\nPathDatosKEL=\"C:\\KEL'\n"), "\"C:\\KEL'");
}

TEST(ProfileEncodingTest, Utf8WhenValidElseCodePage1252) {
  EXPECT_EQ(decodeProfileBytes("C:\\A\xC3\xB1o"), "C:\\Año");
  EXPECT_EQ(decodeProfileBytes("\xEF\xBB\xBF[General]"), "[General]");
  EXPECT_EQ(decodeProfileBytes("C:\\A\xF1o \x80"), "C:\\Año €");
}

// TORV.INI in the current folder, found ignoring case; a value cut to the
// buffer less its terminator; the fallback when the file is missing or not
// a file.
TEST(LinuxProfileTest, FileFoundIgnoringCaseValueCutToTheBufferElseTheFallback) {
  testing_support::TempDir dir;
  fs::create_directories(dir / "KEL");
  auto read = [&](std::size_t size = 250) {
    DriveMap drives({{'C', dir.path()}}, dir / "KEL");
    return LinuxProfile(drives).privateProfileString("General", "PathDatosKEL", "", size,
                                                     ".\\TORV.INI");
  };
  EXPECT_EQ(read(), "");
  fs::create_directory(dir / "KEL" / "TORV.INI");  // a folder by that name
  EXPECT_EQ(read(), "");
  fs::remove(dir / "KEL" / "TORV.INI");
  testing_support::writeFile(dir / "KEL" / "torv.ini", "[General]\r\nPathDatosKEL=C:\\A\xF1o\r\n");
  EXPECT_EQ(read(), "C:\\Año");
  const std::string longValue = "C:\\" + std::string(300, 'a');
  testing_support::writeFile(dir / "KEL" / "torv.ini", "[General]\nPathDatosKEL=" + longValue);
  EXPECT_EQ(read(), longValue.substr(0, 249));
  EXPECT_EQ(read(4), "C:\\");
  EXPECT_EQ(read(1), "");
}

}  // namespace
}  // namespace platform
