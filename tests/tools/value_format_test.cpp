// jetdb's value notation.
#include <gtest/gtest.h>

#include "tools/value_format.h"

namespace jetdb {
namespace {

TEST(ValueFormat, DatesCountDaysFrom18991230AndKeepTheTimeOfDayBeforeIt) {
  EXPECT_EQ(formatDateTime(0), "1899-12-30 00:00:00");
  EXPECT_EQ(formatDateTime(2.5), "1900-01-01 12:00:00");
  EXPECT_EQ(formatDateTime(36526.75), "2000-01-01 18:00:00");
  EXPECT_EQ(formatDateTime(-1.25), "1899-12-29 06:00:00");  // time is |fraction|
  EXPECT_EQ(formatDateTime(-0.5), "1899-12-30 12:00:00");
  // 23:59:59.6 rounds into the next day.
  EXPECT_EQ(formatDateTime(1.0 - 0.4 / 86400), "1899-12-31 00:00:00");
  EXPECT_EQ(formatDateTime(60.0), "1900-02-28 00:00:00");  // no 1900-02-29
  EXPECT_EQ(formatDateTime(2958465.999988426), "9999-12-31 23:59:59");
}

TEST(ValueFormat, CurrencyHasFourDecimalsAndItsSign) {
  EXPECT_EQ(formatCurrency(0), "0.0000");
  EXPECT_EQ(formatCurrency(35000), "3.5000");
  EXPECT_EQ(formatCurrency(-1), "-0.0001");
  EXPECT_EQ(formatCurrency(INT64_MIN), "-922337203685477.5808");
}

TEST(ValueFormat, GuidGroupsAreLittleEndianThenBytesInOrder) {
  jet::Guid g;
  for (int i = 0; i < 16; ++i) g.bytes[static_cast<std::size_t>(i)] = std::byte(i * 17);
  EXPECT_EQ(formatGuid(g), "{33221100-5544-7766-8899-AABBCCDDEEFF}");
}

TEST(ValueFormat, ValuesOfEachKind) {
  jet::TextDecoder cp1252(1252);
  EXPECT_EQ(formatValue(jet::Value{}, cp1252), "");
  EXPECT_EQ(formatValue(true, cp1252), "1");
  EXPECT_EQ(formatValue(std::int16_t{-5}, cp1252), "-5");
  EXPECT_EQ(formatValue(0.1, cp1252), "0.1");  // shortest exact, not 0.10000000000000001
  EXPECT_EQ(formatValue(1.5f, cp1252), "1.5");
  EXPECT_EQ(formatValue(jet::Binary{{std::byte{0xAB}, std::byte{0x01}}}, cp1252), "ab01");
  // cp1252 0xE9 is é; 0x81 is undefined and shown as U+0081.
  EXPECT_EQ(formatValue(jet::Text{"caf\xE9\x81"}, cp1252), "caf\xC3\xA9\xC2\x81");
}

TEST(ValueFormat, CsvQuotingFollowsRfc4180) {
  EXPECT_EQ(csvField("abc"), "abc");
  EXPECT_EQ(csvField(""), "\"\"");  // an empty text, unlike NULL
  EXPECT_EQ(csvField("a,b"), "\"a,b\"");
  EXPECT_EQ(csvField("di \"hola\""), "\"di \"\"hola\"\"\"");
  EXPECT_EQ(csvField("a\nb"), "\"a\nb\"");
  EXPECT_EQ(jsonValue(jet::Value{}, jet::TextDecoder()), "null");
  EXPECT_EQ(jsonValue(jet::Text{"a\"b"}, jet::TextDecoder()), "\"a\\\"b\"");
}

}  // namespace
}  // namespace jetdb
