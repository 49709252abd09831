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

std::vector<CsvRow> inBodyOrder(std::vector<CsvRow> rows, const jet::Table& table) {
  std::vector<std::pair<std::uint32_t, std::size_t>> bodies;  // (body pointer, our row)
  jet::RowCursor cursor = table.rows();
  for (std::size_t r = 1;; ++r) {
    auto more = cursor.next();
    if (!more || !*more) break;
    bodies.emplace_back(cursor.bodyLocation().page << 8 | cursor.bodyLocation().row, r);
  }
  if (bodies.size() + 1 != rows.size()) return rows;  // the row count check says why
  std::stable_sort(bodies.begin(), bodies.end());
  std::vector<CsvRow> sorted{rows.front()};
  for (const auto& [body, r] : bodies) sorted.push_back(std::move(rows[r]));
  return sorted;
}

void expectSameRows(const std::vector<CsvRow>& a, const std::vector<CsvRow>& b,
                    const std::vector<jet::ColumnDef>& columns, const FieldMatcher& match) {
  ASSERT_FALSE(a.empty());
  ASSERT_FALSE(b.empty());
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
