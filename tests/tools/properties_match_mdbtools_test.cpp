// The properties of every table (and of the database object MSysDb) equal
// what mdbtools' mdb-prop reads. Notation: mdb-prop writes Yes/No values as
// yes/no and lists a block's properties in no fixed order, so blocks are
// compared as sorted sets of "target|name|value".
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "jet/model/catalog.h"
#include "jet/model/properties.h"
#include "jet/model/text.h"
#include "tests/support/corpus.h"
#include "tools/value_format.h"

namespace {

using namespace testing_support;

std::vector<std::string> theirs(const std::filesystem::path& file, const std::string& object) {
  CommandOutput out =
      runCommand("mdb-prop " + shellQuote(file.string()) + " " + shellQuote(object) + " 2>&1");
  std::vector<std::string> lines;
  std::istringstream in(out.out);
  std::string line, target;
  while (std::getline(in, line)) {
    if (line.rfind("name: ", 0) == 0) {
      target = line.substr(6) == "(none)" ? "" : line.substr(6);
    } else if (line.size() > 1 && line[0] == '\t') {
      std::string entry = line.substr(1);
      const auto colon = entry.find(": ");
      std::string name = entry.substr(0, colon), value = entry.substr(colon + 2);
      if (value == "yes") value = "1";
      if (value == "no") value = "0";
      lines.push_back(target + "|" + name + "|" + value);
    }
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

std::vector<std::string> ours(const jet::CatalogEntry& e, const jet::TextDecoder& text) {
  std::vector<std::string> lines;
  auto sets = jet::readProperties(e);
  EXPECT_TRUE(sets) << sets.error().toString();
  if (!sets) return lines;
  for (const auto& set : *sets) {
    for (const auto& p : set.properties) {
      lines.push_back(text.toUtf8(set.target) + "|" + text.toUtf8(p.name) + "|" +
                      jetdb::formatValue(p.value, text));
    }
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

TEST(PropertiesMatchMdbtools, TablesAndTheDatabaseObject) {
  REQUIRE_CORPUS();
  if (runCommand("command -v mdb-prop >/dev/null 2>&1").status != 0) {
    GTEST_SKIP() << "mdb-prop (Debian package mdbtools) is not installed";
  }
  int compared = 0;
  for (const auto& file : corpusFiles()) {
    auto db = jet::Database::open(file);
    ASSERT_TRUE(db);
    auto catalog = jet::Catalog::read(**db);
    ASSERT_TRUE(catalog);
    jet::TextDecoder text((*db)->header().codePage);
    for (const jet::CatalogEntry& e : catalog->entries()) {
      if (e.properties.empty() || !(e.isTable() || e.name == "MSysDb")) continue;
      SCOPED_TRACE(file.filename().string() + " " + e.name);
      std::vector<std::string> a = ours(e, text);
      EXPECT_FALSE(a.empty());
      EXPECT_EQ(a, theirs(file, e.name));
      ++compared;
    }
  }
  EXPECT_GE(compared, 16);
}

}  // namespace
