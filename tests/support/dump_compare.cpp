#include "tests/support/dump_compare.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "tests/support/corpus.h"

namespace testing_support {

std::vector<CsvRow> jetdbDump(const std::filesystem::path& file, const std::string& table) {
  const std::string password = fileSettings(file).password;
  CommandOutput out = runCommand(shellQuote(jetdbPath().string()) +
                                 (password.empty() ? "" : " --password " + shellQuote(password)) +
                                 " dump " + shellQuote(file.string()) + " " + shellQuote(table));
  EXPECT_EQ(out.status, 0) << "jetdb dump " << file << " " << table;
  return parseCsv(out.out);
}

bool sameNumber(const std::string& a, const std::string& b, bool single, double tolerance) {
  if (a == b) return true;
  const double x = std::strtod(a.c_str(), nullptr), y = std::strtod(b.c_str(), nullptr);
  if (single && static_cast<float>(x) == static_cast<float>(y)) return true;
  return x == y || std::fabs(x - y) <= tolerance * std::max(std::fabs(x), std::fabs(y));
}

void expectSameRows(std::vector<CsvRow> a, std::vector<CsvRow> b,
                    const std::vector<jet::ColumnDef>& columns, bool anyOrder,
                    const FieldMatcher& match) {
  ASSERT_FALSE(a.empty());
  ASSERT_FALSE(b.empty());
  if (anyOrder) {
    auto byKey = [](const CsvRow& x, const CsvRow& y) {
      auto key = [](const CsvRow& r) {
        return std::make_pair(r.size() > 0 ? std::strtoll(r[0].text.c_str(), nullptr, 10) : 0,
                              r.size() > 1 ? std::strtoll(r[1].text.c_str(), nullptr, 10) : 0);
      };
      return key(x) < key(y);
    };
    std::stable_sort(a.begin() + 1, a.end(), byKey);
    std::stable_sort(b.begin() + 1, b.end(), byKey);
  }
  ASSERT_EQ(a.size(), b.size()) << "row count";
  for (std::size_t r = 0; r < a.size(); ++r) {
    ASSERT_EQ(a[r].size(), columns.size()) << "row " << r;
    ASSERT_EQ(b[r].size(), columns.size()) << "row " << r;
    for (std::size_t c = 0; c < columns.size(); ++c) {
      SCOPED_TRACE("row " + std::to_string(r) + " column " + columns[c].name);
      if (r == 0) {
        EXPECT_EQ(a[r][c].text, b[r][c].text);
      } else {
        match(a[r][c], b[r][c], columns[c].type);
      }
    }
  }
}

}  // namespace testing_support
