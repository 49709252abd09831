#include "jet/model/text.h"

#include <gtest/gtest.h>

namespace jet {
namespace {

TEST(TextDecoder, SingleByteCodePagesByTheirOwnCharacters) {
  // 0x80 is the euro sign in 1252, 0x81 is undefined there and shows as the
  // character of its number; 0xF1 is ñ.
  EXPECT_EQ(TextDecoder(1252).toUtf8("a\x80\x81\xF1o"), "a\xE2\x82\xAC\xC2\x81\xC3\xB1o");
  // The same bytes in the Cyrillic code page.
  EXPECT_EQ(TextDecoder(1251).toUtf8("\xC0\xFF"), "\xD0\x90\xD1\x8F");
  EXPECT_EQ(TextDecoder(1252).toUtf8("plain"), "plain");
  EXPECT_EQ(TextDecoder(1252).toUtf8(std::string_view("\0x", 2)), std::string("\0x", 2));
}

TEST(TextDecoder, DoubleByteCodePageAndUnknownCodePage) {
  // Shift-JIS: a lead byte and its trail make one character; a lone lead
  // byte at the end shows as the character of its number.
  EXPECT_EQ(TextDecoder(932).toUtf8("\x82\xA0x\x82"), "\xE3\x81\x82x\xC2\x82");
  TextDecoder unknown(65000 + 7);
  EXPECT_EQ(unknown.toUtf8("\xE9"), "\xC3\xA9");
  EXPECT_EQ(unknown.codePage(), 1252);
}

}  // namespace
}  // namespace jet
