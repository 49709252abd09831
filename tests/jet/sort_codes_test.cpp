// The compiled "General" sort-code table against the published data files it
// was generated from (scripts/gen_sort_codes.py).
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "jet/index/general_sort_codes.h"
#include "tests/support/corpus.h"

namespace jet {
namespace {

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
  for (std::size_t b = 0; b < 256; ++b) {
    EXPECT_EQ(asLine(general_sort::kCodes[b]), codes[b]) << "byte " << b;
  }
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
