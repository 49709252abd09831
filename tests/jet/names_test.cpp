// Names compared as Jet compares them: letter case ignored for every letter of
// the code page, accents and every other difference kept.
#include <gtest/gtest.h>

#include "jet/model/names.h"
#include "jet/model/text.h"

namespace jet {
namespace {

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
