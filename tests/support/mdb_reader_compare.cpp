#include "tests/support/mdb_reader_compare.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <sstream>

#include "jet/model/catalog.h"
#include "jet/model/table.h"
#include "jet/model/text.h"
#include "tests/support/corpus.h"
#include "tests/support/dump_compare.h"

namespace testing_support {
namespace {

namespace fs = std::filesystem;

fs::path outsideDir() { return fs::path(REPARADOR_OUTSIDE_DIR); }

// U+0081, U+008D, U+008F, U+0090 and U+009D (our notation of the bytes code
// page 1252 leaves undefined) become U+FFFD, mdb-reader's notation of them.
std::string undefinedAsReplacement(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
    if (static_cast<unsigned char>(text[i]) == 0xC2 &&
        (next == 0x81 || next == 0x8D || next == 0x8F || next == 0x90 || next == 0x9D)) {
      out += "\xEF\xBF\xBD";
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

// Seconds from 1970 of a "YYYY-MM-DD HH:MM:SS" text, or nullopt.
std::optional<long long> secondsOf(const std::string& text) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
  char rest = 0;
  if (std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d%c", &y, &mo, &d, &h, &mi, &s, &rest) != 6) {
    return std::nullopt;
  }
  const std::chrono::sys_days date =
      std::chrono::year{y} / std::chrono::month{static_cast<unsigned>(mo)} /
      std::chrono::day{static_cast<unsigned>(d)};
  return date.time_since_epoch().count() * 86400LL + h * 3600LL + mi * 60LL + s;
}

void matchField(const CsvField& x, const CsvField& y, jet::ColumnType type) {
  ASSERT_EQ(x.isNull(), y.isNull()) << x.text << " / " << y.text;
  if (type == jet::ColumnType::kDateTime && x.text != y.text) {
    // mdb-reader hands the time rounded to the millisecond: a time within
    // half a millisecond of half a second may then round to the next second.
    const auto a = secondsOf(x.text), b = secondsOf(y.text);
    ASSERT_TRUE(a && b) << x.text << " / " << y.text;
    EXPECT_LE(std::llabs(*a - *b), 1) << x.text << " / " << y.text;
  } else if (type == jet::ColumnType::kDouble || type == jet::ColumnType::kFloat) {
    EXPECT_TRUE(sameNumber(x.text, y.text, type == jet::ColumnType::kFloat))
        << x.text << " / " << y.text;
  } else if (type == jet::ColumnType::kText || type == jet::ColumnType::kMemo) {
    EXPECT_EQ(undefinedAsReplacement(x.text), y.text);
  } else {
    EXPECT_EQ(x.text, y.text);
  }
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

}  // namespace

bool haveMdbReader(std::string* why) {
  std::string missing;
  if (runCommand("command -v node >/dev/null 2>&1").status != 0) {
    missing = "node is not installed";
  } else if (!fs::exists(outsideDir() / "node_modules" / "mdb-reader" / "package.json")) {
    missing = "mdb-reader is not installed in " + outsideDir().string() + " (scripts/setup)";
  }
  if (why) *why = missing;
  return missing.empty();
}

void expectMdbReaderReadsAsJetdb(const fs::path& file) {
  SCOPED_TRACE("mdb-reader: " + file.filename().string());
  auto db = jet::Database::open(file);
  ASSERT_TRUE(db);
  ASSERT_EQ((*db)->header().codePage, 1252) << "mdb-reader reads Jet 3 text as code page 1252";
  auto catalog = jet::Catalog::read(**db);
  ASSERT_TRUE(catalog);

  TempDir out;
  CommandOutput run = runCommand("node " + shellQuote((outsideDir() / "mdb_reader_dump.mjs").string()) +
                                 " " + shellQuote(file.string()) + " " + shellQuote(out.path().string()) +
                                 " 2>&1");
  ASSERT_EQ(run.status, 0) << run.out;
  const std::vector<std::string> names = lines(readFile(out / "tables.txt"));
  // Our tables by their names in UTF-8, as mdb-reader gives them.
  jet::TextDecoder text(1252);
  std::map<std::string, const jet::CatalogEntry*> ours;
  for (const jet::CatalogEntry* e : catalog->tables(true)) ours[text.toUtf8(e->name)] = e;
  std::vector<std::string> theirs = names, oursNames;
  for (const auto& entry : ours) oursNames.push_back(entry.first);
  std::sort(theirs.begin(), theirs.end());
  EXPECT_EQ(oursNames, theirs);

  for (std::size_t i = 0; i < names.size(); ++i) {
    SCOPED_TRACE(names[i]);
    const fs::path csv = out / (std::to_string(i) + ".csv");
    if (!fs::exists(csv)) {
      ADD_FAILURE() << "mdb-reader: " << readFile(out / (std::to_string(i) + ".error"));
      continue;
    }
    auto entry = ours.find(names[i]);
    ASSERT_NE(entry, ours.end());
    auto table = jet::Table::open(**db, entry->second);
    ASSERT_TRUE(table);
    expectSameRows(inBodyOrder(jetdbDump(file, names[i]), *table), parseCsv(readFile(csv)),
                   table->definition().columns, matchField);
  }
}

}  // namespace testing_support
