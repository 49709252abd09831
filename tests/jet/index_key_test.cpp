// Index keys: the order that every type's encoding must keep (ascending,
// descending, NULLs), and text keys beyond the corpus (every corpus file
// checking clean holds the encoder to every key Access wrote in it).
//
// The compiled "General" sort-code table against the published data files it
// was generated from (scripts/gen_sort_codes.py).
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "jet/format/index_page.h"
#include "jet/index/general_sort_codes.h"
#include "jet/index/index_key.h"
#include "jet/index/text_key.h"
#include "tests/support/byte_list.h"
#include "tests/support/corpus.h"

namespace jet {
namespace {

using testing_support::bytes;
using Bytes = std::vector<std::byte>;

Bytes key(ColumnType type, const Value& v, bool ascending = true) {
  Bytes out;
  EXPECT_TRUE(appendKeyColumn({type, ascending}, v, out).ok());
  return out;
}

Value text(std::string s) { return Text{std::move(s)}; }

// Keys of `values`, given in ascending order, must be strictly increasing;
// in a descending column strictly decreasing. NULL sorts first ascending and
// last descending.
void expectOrder(ColumnType type, const std::vector<Value>& values) {
  for (bool asc : {true, false}) {
    Bytes previous = key(type, Value{}, asc);
    if (!asc) previous = key(type, values.front(), asc);
    for (std::size_t i = asc ? 0 : 1; i < values.size(); ++i) {
      Bytes k = key(type, values[i], asc);
      auto c = compareKeys(previous, k);
      EXPECT_TRUE(asc ? c < 0 : c > 0) << columnTypeName(type) << " value #" << i
                                       << (asc ? " ascending" : " descending");
      previous = k;
    }
    EXPECT_TRUE(asc || compareKeys(previous, key(type, Value{}, false)) < 0) << "descending NULL";
  }
}

TEST(IndexKeyTest, NumbersKeepTheirOrder) {
  expectOrder(ColumnType::kByte, {std::uint8_t{0}, std::uint8_t{1}, std::uint8_t{127},
                                  std::uint8_t{128}, std::uint8_t{255}});
  expectOrder(ColumnType::kInt, {std::int16_t{-32768}, std::int16_t{-256}, std::int16_t{-1},
                                 std::int16_t{0}, std::int16_t{1}, std::int16_t{255},
                                 std::int16_t{32767}});
  expectOrder(ColumnType::kLong, {std::int32_t{-2147483647 - 1}, std::int32_t{-65536},
                                  std::int32_t{-1}, std::int32_t{0}, std::int32_t{1},
                                  std::int32_t{65536}, std::int32_t{2147483647}});
  expectOrder(ColumnType::kMoney, {Currency{-922337203685477580}, Currency{-10000},
                                   Currency{-1}, Currency{0}, Currency{1}, Currency{10000},
                                   Currency{922337203685477580}});
  const double inf = std::numeric_limits<double>::infinity();
  expectOrder(ColumnType::kDouble, {-inf, -1e300, -2.5, -1.0, -1e-300, 0.0, 1e-300, 1.0, 2.5, 1e300, inf});
  expectOrder(ColumnType::kFloat, {-3e38f, -1.5f, -1e-30f, 0.0f, 1e-30f, 1.5f, 3e38f});
  // Date/Time: days since 1899-12-30; negative days are before it.
  expectOrder(ColumnType::kDateTime, {DateTime{-657434.0}, DateTime{-1.5}, DateTime{0.0},
                                      DateTime{0.25}, DateTime{36526.5}, DateTime{2958465.0}});
}

TEST(IndexKeyTest, YesNoIsOneByteWithYesFirstAndNullReadAsNo) {
  EXPECT_EQ(key(ColumnType::kBool, true), bytes({0x7F, 0x00}));
  EXPECT_EQ(key(ColumnType::kBool, false), bytes({0x7F, 0xFF}));
  EXPECT_EQ(key(ColumnType::kBool, true, false), bytes({0x80, 0xFF}));
  EXPECT_EQ(key(ColumnType::kBool, Value{}), key(ColumnType::kBool, false));
}

TEST(IndexKeyTest, BinaryGroupsOfEightKeepOrderAndSkipComplementOfInnerLengths) {
  expectOrder(ColumnType::kBinary,
              {Binary{bytes({0})}, Binary{bytes({0, 0})}, Binary{Bytes(8, std::byte{0})},
               Binary{Bytes(9, std::byte{0})}, Binary{bytes({0, 1})}, Binary{bytes({1})},
               Binary{Bytes(20, std::byte{0xFF})}});
  Bytes nine(9, std::byte{0x11});
  Bytes desc = key(ColumnType::kBinary, Binary{nine}, false);
  ASSERT_EQ(desc.size(), 1u + 18u);
  EXPECT_EQ(desc[1], std::byte{0xEE});
  EXPECT_EQ(desc[9], std::byte{0x09});   // "more groups follow" is not complemented
  EXPECT_EQ(desc[10], std::byte{0xEE});
  EXPECT_EQ(desc[11], std::byte{0xFF});  // padding, complemented
  EXPECT_EQ(desc[18], std::byte{0xFE});  // last length 1, complemented
}

TEST(IndexKeyTest, ReplicationIdUsesTextualByteOrder) {
  // Stored as the row holds it: {00112233-4455-6677-8899-AABBCCDDEEFF}.
  Guid g;
  const int stored[16] = {0x33, 0x22, 0x11, 0x00, 0x55, 0x44, 0x77, 0x66,
                          0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF};
  for (int i = 0; i < 16; ++i) g.bytes[i] = std::byte(stored[i]);
  EXPECT_EQ(key(ColumnType::kGuid, g),
            bytes({0x7F, 0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x09,
                 0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF, 0x08}));
}

// An accent weighs less than any later letter, more than later accents;
// accented and unaccented capitals are their small letters. (The corpus's
// text keys hold the accent part's bytes to Access's.)
TEST(IndexKeyTest, TextAccentsSortAfterTheirBaseLetters) {
  // Windows-1252: 0xE9 é, 0xE1 á, 0xC9 É.
  EXPECT_EQ(key(ColumnType::kText, text("\xC9")), key(ColumnType::kText, text("\xE9")));
  expectOrder(ColumnType::kText, {text(""), text("a"), text("\xE1"), text("ae"), text("a\xE9"),
                                  text("\xE1" "e"), text("b"), text("ba")});
}

// A key Access wrote in a file outside the corpus (format.md): "ß" is two
// places of the accent part before the accent of "ä" (6).
TEST(IndexKeyTest, TextKeyAsAccessWroteIt) {
  EXPECT_EQ(key(ColumnType::kText, text("Plutzer Lebensmittelgro\xDFm\xE4rkte AG")),
            bytes({0x7F, 0x73, 0x6D, 0x78, 0x77, 0x7E, 0x66, 0x75, 0x11, 0x6D, 0x66, 0x61, 0x66,
                 0x70, 0x76, 0x6F, 0x6A, 0x77, 0x77, 0x66, 0x6D, 0x68, 0x75, 0x72, 0x76, 0x76,
                 0x6F, 0x60, 0x75, 0x6C, 0x77, 0x66, 0x11, 0x60, 0x68, 0x02, 0x22, 0x22, 0x22,
                 0x22, 0x22, 0x60}));
}

// A letter that sorts as two letters takes their places in the accent part
// too: before, between and after each accented letter, it gives the key of
// the two letters it stands for, and so sorts as they do.
TEST(IndexKeyTest, LettersThatSortAsTwoTakeTwoPlacesBesideEveryAccent) {
  const std::pair<char, const char*> expansions[] = {
      {'\xDF', "ss"}, {'\xE6', "ae"}, {'\xC6', "AE"}, {'\x9C', "oe"}, {'\x8C', "OE"}};
  int accented = 0;
  for (int a = 0; a < 256; ++a) {
    if (general_sort::kCodes[a].accent == 0) continue;
    ++accented;
    for (const auto& [letter, two] : expansions) {
      for (std::string_view shape : {"x#a", "#a", "a#", "a#a", "##a", "#e#a"}) {
        std::string one, spelled;
        for (char s : shape) {
          one += s == '#' ? letter : s == 'a' ? char(a) : s;
          spelled += s == '#' ? std::string(two) : std::string(1, s == 'a' ? char(a) : s);
        }
        EXPECT_EQ(key(ColumnType::kText, text(one)), key(ColumnType::kText, text(spelled)))
            << "byte " << a << " and " << two << " in " << shape;
      }
    }
  }
  EXPECT_EQ(accented, 56);  // the accented letters of Windows-1252
}

TEST(IndexKeyTest, TextIsCutAndComplementedWhenDescending) {
  const std::string longText(200, 'x');
  EXPECT_EQ(key(ColumnType::kText, text(longText)),
            key(ColumnType::kText, text(longText.substr(0, kMaxIndexedChars))));
  EXPECT_EQ(key(ColumnType::kText, text("a\xE9"), false), bytes({0x80, 0x9F, 0x99, 0xFD, 0xBF}));
}

TEST(IndexKeyTest, WrongValueTypesAndUnindexableColumnsAreRefused) {
  Bytes out = bytes({0x01});
  EXPECT_EQ(appendKeyColumn({ColumnType::kLong}, std::int16_t{3}, out).error().number(),
            errc::kInvalidArgument);
  EXPECT_EQ(appendKeyColumn({ColumnType::kBool}, std::int32_t{3}, out).error().number(),
            errc::kInvalidArgument);
  EXPECT_EQ(out, bytes({0x01}));  // nothing half-written
  EXPECT_FALSE(appendKeyColumn({ColumnType::kMemo}, Value{}, out).ok());
  EXPECT_FALSE(appendKeyColumn({ColumnType::kOle}, Binary{}, out).ok());
  std::vector<KeyColumn> one{{ColumnType::kLong}};
  std::vector<Value> two{std::int32_t{1}, std::int32_t{2}};
  EXPECT_FALSE(encodeKey(one, two).ok());
}

std::vector<std::string> lines(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::vector<std::string> out;
  for (std::string line; std::getline(in, line);) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (!line.empty()) out.push_back(line);
  }
  return out;
}

// The code line a table entry stands for, in the data file's notation.
std::string asLine(const general_sort::SortCode& c) {
  std::string line = c.accent != 0 ? "I" : c.inlineLength == 1 && c.letters == 1 ? "G" : "S";
  char hex[8];
  for (std::size_t i = 0; i < c.inlineLength; ++i) {
    std::snprintf(hex, sizeof hex, "%02X", c.inlineBytes[i]);
    line += hex;
  }
  if (c.accent != 0) {
    std::snprintf(hex, sizeof hex, ",%02X", c.accent);
    line += hex;
  }
  return line;
}

TEST(SortCodesTest, GeneratedTableMatchesThePublishedCodes) {
  auto codes = lines(testing_support::jet3Dir() / "index_codes_gen_97.txt");
  if (codes.empty()) GTEST_SKIP() << "no sort-code tables at " << testing_support::jet3Dir();
  ASSERT_EQ(codes.size(), 256u);
  // The one correction: byte 0 is a control character like byte 1, not ignored.
  ASSERT_EQ(codes[0], "X");
  codes[0] = codes[1];
  for (std::size_t b = 0; b < 256; ++b) EXPECT_EQ(asLine(general_sort::kCodes[b]), codes[b]) << "byte " << b;
  // The letters that sort as two letters with accented forms each.
  for (unsigned char b : {0x8C, 0x9C, 0xC6, 0xDF, 0xE6}) {
    EXPECT_EQ(general_sort::kCodes[b].letters, 2) << "byte " << int(b);
  }
  // The letters with accented forms, unaccented: one place each in the accent
  // part of a key. An accented letter takes the places of its base letter,
  // the unaccented byte with the same inline codes.
  std::string letters;
  for (int b = 0; b < 256; ++b) {
    const general_sort::SortCode& c = general_sort::kCodes[b];
    if (c.accent == 0 && c.letters == 1) letters += static_cast<char>(b);
    if (c.accent == 0) continue;
    const auto base = std::find_if(general_sort::kCodes.begin(), general_sort::kCodes.end(),
                                   [&](const general_sort::SortCode& d) {
                                     return d.accent == 0 && d.inlineLength == c.inlineLength &&
                                            d.inlineBytes == c.inlineBytes;
                                   });
    ASSERT_NE(base, general_sort::kCodes.end()) << "byte " << b;
    EXPECT_EQ(c.letters, base->letters) << "byte " << b;
  }
  EXPECT_EQ(letters, "ACEINOSUYaceinosuy");
}

}  // namespace
}  // namespace jet
