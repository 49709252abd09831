// Text in the file's code page: decoded by its own characters, and names
// compared as Jet compares them, letter case ignored for every letter of the
// code page, accents and every other difference kept.
#include <gtest/gtest.h>

#include "jet/model/code_page.h"
#include "jet/model/names.h"
#include "jet/model/text.h"

namespace jet {
namespace {

TEST(TextDecoder, SingleByteCodePagesByTheirOwnCharacters) {
  // 0x80 is the euro sign in 1252, 0x81 is undefined there and shows as the
  // character of its number; 0xF1 is ñ.
  EXPECT_EQ(TextDecoder(1252).toUtf8("a\x80\x81\xF1o"), "a\xE2\x82\xAC\xC2\x81\xC3\xB1o");
  // The same bytes in the Cyrillic code page.
  EXPECT_EQ(TextDecoder(1251).toUtf8("\xC0\xFF"), "\xD0\x90\xD1\x8F");
  EXPECT_EQ(TextDecoder(1252).toUtf8(std::string_view("\0x", 2)), std::string("\0x", 2));
  std::string edges;  // the last of each length in UTF-8 and the first of the next
  for (unsigned code : {0x7Fu, 0x80u, 0x7FFu, 0x800u}) appendUtf8(edges, code);
  EXPECT_EQ(edges, "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80");
}

TEST(TextDecoder, DoubleByteCodePageAndUnknownCodePage) {
  // Shift-JIS: a lead byte and its trail make one character, a byte of
  // half-width kana one alone; a lone lead byte at the end, or one whose pair
  // is undefined, shows as the character of its number, and its trail is read afresh.
  EXPECT_EQ(TextDecoder(932).toUtf8("\x82\xA0\xB1x\x82"), "\xE3\x81\x82\xEF\xBD\xB1x\xC2\x82");
  EXPECT_EQ(TextDecoder(932).toUtf8("\x82 y"), "\xC2\x82 y");
  TextDecoder unknown(65000 + 7);
  EXPECT_EQ(unknown.toUtf8("\xE9"), "\xC3\xA9");
  EXPECT_EQ(unknown.codePage(), 1252);
}

TEST(NameMatcher, CaseBeyondAsciiIsIgnoredAccentsAreNot) {
  const struct {
    int codePage;
    const char* a;  // UTF-8
    const char* b;
    bool same;
  } cases[] = {
      {1252, "Umsätze", "UMSÄTZE", true},
      {1252, "Umsätze", "Umsatze", false},
      {1252, "Año", "AÑO", true},
      {1252, "Œuvre", "œUVRE", true},   // 0x8C / 0x9C
      {1252, "ÿ", "Ÿ", true},           // 0xFF / 0x9F
      {1252, "Straße", "STRASSE", false},  // ß is one letter, not "ss"
      {1252, "×", "÷", false},          // 0xD7 / 0xF7: signs, not letters
      {1251, "Таблица", "ТАБЛИЦА", true},
      {1253, "Πίνακας", "ΠΊΝΑΚΑΣ", true},
      {1256, "جدول", "جداول", false},
      {1252, "Clientes", "CLIENTES", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " / " + c.b + " in " + std::to_string(c.codePage));
    const std::string a = fromUtf8(c.a, c.codePage), b = fromUtf8(c.b, c.codePage);
    ASSERT_EQ(TextDecoder(c.codePage).toUtf8(a), c.a);  // the code page has the letters
    ASSERT_EQ(TextDecoder(c.codePage).toUtf8(b), c.b);
    EXPECT_EQ(NameMatcher(c.codePage).same(a, b), c.same);
    EXPECT_EQ(NameMatcher(c.codePage).same(b, a), c.same);
  }
}

// In a double-byte code page a trail byte may be an ASCII letter: names are
// compared as characters, never byte by byte.
TEST(NameMatcher, DoubleByteTrailBytesAreNotLetters) {
  // Shift-JIS: 0x83 0x41 is "ア", 0x83 0x61 is "ヂ".
  EXPECT_FALSE(NameMatcher(932).same("\x83\x41", "\x83\x61"));
  EXPECT_TRUE(NameMatcher(932).same("\x83\x41" "a", "\x83\x41" "A"));
}

}  // namespace
}  // namespace jet
