// The compiled "General" sort-code table against the published data files it
// was generated from (scripts/gen_sort_codes.py).
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "jet/index/general_sort_codes.h"
#include "tests/support/corpus.h"

namespace jet {
namespace {

using general_sort::SortKind;

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
  static const char* const kLetters = "XSGI";
  std::string line(1, kLetters[static_cast<int>(c.kind)]);
  char hex[8];
  for (std::size_t i = 0; i < c.inlineLength; ++i) {
    std::snprintf(hex, sizeof hex, "%02X", c.inlineBytes[i]);
    line += hex;
  }
  if (c.kind == SortKind::kInternational) {
    std::snprintf(hex, sizeof hex, ",%02X", c.accent);
    line += hex;
  }
  return line;
}

TEST(SortCodesTest, GeneratedTableMatchesThePublishedCodes) {
  const auto codes = lines(testing_support::jet3Dir() / "index_codes_gen_97.txt");
  if (codes.empty()) GTEST_SKIP() << "no sort-code tables at " << testing_support::jet3Dir();
  ASSERT_EQ(codes.size(), 256u);
  for (std::size_t b = 0; b < 256; ++b) {
    EXPECT_EQ(asLine(general_sort::kCodes[b]), codes[b]) << "byte " << b;
  }
}

TEST(SortCodesTest, GeneratedMappingsMatchThePublishedOnes) {
  const auto mappings = lines(testing_support::jet3Dir() / "index_mappings_ext_gen_97.txt");
  if (mappings.empty()) GTEST_SKIP() << "no sort-code tables at " << testing_support::jet3Dir();
  ASSERT_EQ(mappings.size(), general_sort::kUnicodeMappings.size());
  for (std::size_t i = 0; i < mappings.size(); ++i) {
    const auto& m = general_sort::kUnicodeMappings[i];
    EXPECT_EQ(std::to_string(m.unicode) + "," + std::to_string(m.byte), mappings[i]);
  }
}

TEST(SortCodesTest, CaseFoldsAndAccentedLettersShareTheirBaseLetter) {
  for (int c = 'A'; c <= 'Z'; ++c) {
    const auto& upper = general_sort::kCodes[c];
    const auto& lower = general_sort::kCodes[c + 32];
    EXPECT_EQ(upper.inlineBytes, lower.inlineBytes) << char(c);
    EXPECT_EQ(upper.kind, lower.kind) << char(c);
  }
  // Windows-1252: é (0xE9) is e (0x65) with an accent; É (0xC9) the same.
  EXPECT_EQ(general_sort::kCodes[0xE9].kind, SortKind::kInternational);
  EXPECT_EQ(general_sort::kCodes[0xE9].inlineBytes[0], general_sort::kCodes['e'].inlineBytes[0]);
  EXPECT_EQ(general_sort::kCodes[0xC9].accent, general_sort::kCodes[0xE9].accent);
}

}  // namespace
}  // namespace jet
