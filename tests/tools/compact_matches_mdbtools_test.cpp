// mdbtools, an outside reader, reads every table of every compacted corpus
// file (system tables included) with the values it reads in the source:
// the same rows, in any order (rows follow the primary key after
// compaction), with the ids that compaction renumbers mapped back.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "jet/engine.h"
#include "jet/model/catalog.h"
#include "tests/support/corpus.h"
#include "tests/support/csv.h"
#include "tests/support/mdbtools_compare.h"

namespace {

using namespace testing_support;
namespace fs = std::filesystem;

std::vector<std::string> tablesOf(const fs::path& file) {
  CommandOutput out = runCommand("mdb-tables -S -1 " + shellQuote(file.string()));
  std::vector<std::string> names;
  std::string line;
  for (char c : out.out) {
    if (c == '\n') {
      if (!line.empty()) names.push_back(line);
      line.clear();
    } else {
      line += c;
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Table name -> catalog id, as mdb-export reads MSysObjects.
std::map<std::string, std::string> tableIds(const fs::path& file) {
  std::map<std::string, std::string> ids;
  auto rows = parseCsv(runCommand("mdb-export " + shellQuote(file.string()) + " MSysObjects").out);
  for (std::size_t r = 1; r < rows.size(); ++r) {
    if (rows[r].size() > 3 && rows[r][3].text == "1") ids[rows[r][2].text] = rows[r][0].text;
  }
  return ids;
}

// The table's rows as mdb-export writes them, fields that hold ids mapped
// through `ids`, sorted; the header line first.
std::vector<std::string> exportRows(const fs::path& file, const std::string& table,
                                    const std::map<std::string, std::string>& ids) {
  CommandOutput out = runCommand("mdb-export -b hex " + shellQuote(file.string()) + " " +
                                 shellQuote(table) + " 2>/dev/null");
  EXPECT_EQ(out.status, 0) << table;
  std::vector<CsvRow> rows = parseCsv(out.out);
  std::vector<std::string> lines;
  std::vector<std::size_t> idFields;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    std::string line;
    for (std::size_t f = 0; f < rows[r].size(); ++f) {
      const CsvField& field = rows[r][f];
      if (r == 0 && (field.text == "Id" || field.text == "ParentId" || field.text == "ObjectId")) {
        idFields.push_back(f);
      }
      std::string text = field.text;
      if (r > 0 && std::find(idFields.begin(), idFields.end(), f) != idFields.end()) {
        if (auto it = ids.find(text); it != ids.end()) text = it->second;
      }
      line += (field.quoted ? "\"" + text + "\"" : text) + "\x1f";
    }
    lines.push_back(line);
  }
  if (lines.size() > 1) std::sort(lines.begin() + 1, lines.end());
  return lines;
}

TEST(CompactMatchesMdbtools, EveryTableOfEveryCompactedCorpusFile) {
  REQUIRE_CORPUS();
  if (!haveMdbExport()) GTEST_SKIP() << "mdb-export (Debian package mdbtools) is not installed";
  int tables = 0;
  for (const auto& file : corpusFiles()) {
    SCOPED_TRACE(file.filename().string());
    TempDir dir;
    const fs::path compacted = dir / "compactada.mdb";
    ASSERT_TRUE(jet::compactDatabase(file, compacted).ok());
    const auto names = tablesOf(file);
    ASSERT_EQ(tablesOf(compacted), names);
    // New id -> old id, through the names.
    std::map<std::string, std::string> back;
    const auto oldIds = tableIds(file);
    for (const auto& [name, id] : tableIds(compacted)) back[id] = oldIds.at(name);
    for (const std::string& table : names) {
      SCOPED_TRACE(table);
      EXPECT_EQ(exportRows(file, table, {}), exportRows(compacted, table, back));
      ++tables;
    }
  }
  EXPECT_GE(tables, 60);
}

}  // namespace
