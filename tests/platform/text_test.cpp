// Text as a Spanish Windows treats it.
#include "platform/text.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(UpperCaseTest, OneCharacterForOneAsWindowsWritesIt) {
  EXPECT_EQ(upperCase("c:\\datos\\año.mdb"), "C:\\DATOS\\AÑO.MDB");
  EXPECT_EQ(upperCase("áéíóúüç àèìòù"), "ÁÉÍÓÚÜÇ ÀÈÌÒÙ");
  EXPECT_EQ(upperCase("ÿ \U00010000"), "Ÿ \U00010000");  // the first past 16 bits has no case
  EXPECT_EQ(upperCase("straße"), "STRAßE");  // no "SS": the length never changes
  EXPECT_EQ(upperCase("µ ı ſ"), "µ ı ſ") << "Windows keeps µ, ı and ſ";
  // Bytes that are not UTF-8 pass unchanged.
  EXPECT_EQ(upperCase("a\xF1o"), "A\xF1O");
  EXPECT_EQ(upperCase("\xC3"), "\xC3");
}

TEST(TrimTest, OnlyBlanksGo) {
  EXPECT_EQ(trimBlanks("  C:\\X  "), "C:\\X");
  EXPECT_EQ(trimBlanks("   "), "");
  EXPECT_EQ(trimBlanks("\tC:\\X\t"), "\tC:\\X\t");
  EXPECT_EQ(trimTrailingBlanks("  x  "), "  x");
}

TEST(EqualIgnoringCaseTest, ComparesUpperCaseForms) {
  EXPECT_TRUE(equalIgnoringCase("Kel01.mdb", "KEL01.MDB"));
  EXPECT_TRUE(equalIgnoringCase("año", "AÑO"));
  EXPECT_FALSE(equalIgnoringCase("ano", "AÑO"));
  EXPECT_FALSE(equalIgnoringCase("straße", "STRASSE"));
  EXPECT_FALSE(equalIgnoringCase("a\xF1", "A\xD1"));  // raw bytes are not letters
}

TEST(Utf16Test, CountsAndCutsInUtf16Units) {
  EXPECT_EQ(utf16Length("año"), 3u);
  // U+10000, the first character past the 16-bit ones, takes two units.
  EXPECT_EQ(utf16Length("\U0000FFFF\U00010000"), 3u);
  EXPECT_EQ(utf16Prefix("añoño", 3), "año");
  EXPECT_EQ(utf16Prefix("a\U00010000b", 2), "a") << "never half a character";
  EXPECT_EQ(utf16Prefix("a\U00010000b", 3), "a\U00010000");
  EXPECT_EQ(utf16Prefix("abc", 10), "abc");
}

TEST(EncodingTest, Utf8ValidityAndCodePage1252) {
  EXPECT_TRUE(isValidUtf8("año \U0001D11E"));
  for (const char* bad : {"a\xF1o", "\x80"}) EXPECT_FALSE(isValidUtf8(bad)) << bad;  // 0x80 leads nothing
  EXPECT_FALSE(isValidUtf8("\xC0\xAF"));          // overlong "/"
  EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));      // a surrogate
  EXPECT_FALSE(isValidUtf8("\xF4\x90\x80\x80"));  // above U+10FFFF
  EXPECT_EQ(cp1252ToUtf8("a\xF1o \x80 \x81 \x9F"), "año € \u0081 Ÿ");
}

}  // namespace
}  // namespace platform
