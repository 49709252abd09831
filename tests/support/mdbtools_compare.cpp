#include "tests/support/mdbtools_compare.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

#include "tests/support/corpus.h"
#include "tests/support/csv.h"

namespace testing_support {
namespace {

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
  return s;
}

// Our Binary value cut the way mdb-export cuts it: before the first zero byte.
std::string cutAtZeroByte(const std::string& hex) {
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    if (hex[i] == '0' && hex[i + 1] == '0') return hex.substr(0, i);
  }
  return hex;
}

// Doubles to the 15 digits both keep; Singles as the same float.
bool sameNumber(const std::string& a, const std::string& b, bool single) {
  if (a == b) return true;
  const double x = std::strtod(a.c_str(), nullptr), y = std::strtod(b.c_str(), nullptr);
  if (single) return static_cast<float>(x) == static_cast<float>(y);
  return std::fabs(x - y) <= 1e-15 * std::max(std::fabs(x), std::fabs(y));
}

// mdb-export -b hex writes a Replication ID's text "{...}" as hex.
std::string fromHexText(const std::string& hex) {
  std::string out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  }
  return out;
}

}  // namespace

bool haveMdbExport() { return runCommand("command -v mdb-export >/dev/null 2>&1").status == 0; }

void expectDumpMatchesMdbExport(const std::filesystem::path& file, const jet::Table& table,
                                bool anyOrder) {
  SCOPED_TRACE(file.filename().string() + " " + table.name());
  const std::string quoted = shellQuote(file.string()) + " " + shellQuote(table.name());
  CommandOutput ours = runCommand(shellQuote(jetdbPath().string()) + " dump " + quoted);
  CommandOutput theirs =
      runCommand("mdb-export -T '%Y-%m-%d %H:%M:%S' -b hex " + quoted + " 2>/dev/null");
  ASSERT_EQ(ours.status, 0);
  ASSERT_EQ(theirs.status, 0);
  std::vector<CsvRow> a = parseCsv(ours.out), b = parseCsv(theirs.out);
  ASSERT_FALSE(a.empty());
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
  const auto& columns = table.definition().columns;
  for (std::size_t r = 0; r < a.size(); ++r) {
    ASSERT_EQ(a[r].size(), columns.size()) << "row " << r;
    ASSERT_EQ(b[r].size(), columns.size()) << "row " << r;
    for (std::size_t c = 0; c < columns.size(); ++c) {
      const CsvField& x = a[r][c];
      const CsvField& y = b[r][c];
      SCOPED_TRACE("row " + std::to_string(r) + " column " + columns[c].name);
      if (r == 0) {
        EXPECT_EQ(x.text, y.text);
        continue;
      }
      const jet::ColumnType type = columns[c].type;
      if (type == jet::ColumnType::kBinary && !x.isNull()) {
        // A value cut to nothing comes out as an empty unquoted field.
        EXPECT_EQ(cutAtZeroByte(x.text), lower(y.text));
        continue;
      }
      const bool emptyText = x.quoted && x.text.empty() && y.isNull();
      EXPECT_TRUE(x.isNull() == y.isNull() || emptyText) << x.text << " / " << y.text;
      if (type == jet::ColumnType::kOle) {
        EXPECT_EQ(x.text, lower(y.text));
      } else if (type == jet::ColumnType::kText || type == jet::ColumnType::kMemo) {
        EXPECT_EQ(x.text.substr(0, x.text.find('\0')), y.text);
      } else if (type == jet::ColumnType::kDouble || type == jet::ColumnType::kFloat) {
        EXPECT_TRUE(sameNumber(x.text, y.text, type == jet::ColumnType::kFloat))
            << x.text << " / " << y.text;
      } else if (type == jet::ColumnType::kGuid && !y.text.empty() && y.text[0] != '{') {
        auto noDashes = [](std::string t) {
          t.erase(std::remove(t.begin(), t.end(), '-'), t.end());
          return t;
        };
        EXPECT_EQ(noDashes(x.text), noDashes(fromHexText(y.text)));
      } else {
        EXPECT_EQ(x.text, y.text);
      }
    }
  }
}

}  // namespace testing_support
