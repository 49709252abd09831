// The outside readers read what jetdb reads. For every corpus file, its
// subfolders' included, and every table, system tables included, `jetdb
// dump` asked for the table by its name gives the values that mdbtools'
// mdb-export reads (the notation they differ in:
// tests/support/mdbtools_compare.h); the properties of every table and of
// the database object MSysDb are those mdb-prop reads; and mdb-reader, the
// second outside reader, reads every table of every compacted corpus file
// with the values `jetdb dump` writes. Under the sanitizers the mdb-export
// and the mdb-reader comparisons each take every other file, between them
// all. (Generated files, their compaction and a new database:
// generate_command_test.)
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "jet/engine.h"
#include "jet/model/catalog.h"
#include "jet/model/properties.h"
#include "jet/model/text.h"
#include "tests/support/corpus.h"
#include "tests/support/encrypt.h"
#include "tests/support/mdb_reader_compare.h"
#include "tests/support/mdbtools_compare.h"
#include "tools/value_format.h"

namespace {

using namespace testing_support;
namespace fs = std::filesystem;

// One test per corpus file, so that files run side by side.
class DumpCorpus : public ::testing::TestWithParam<std::filesystem::path> {};

TEST_P(DumpCorpus, EveryTableMatchesMdbExport) {
  if (!haveMdbExport()) GTEST_SKIP() << "mdb-export (Debian package mdbtools) is not installed";
  expectEveryTableMatchesMdbExport(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Corpus, DumpCorpus, ::testing::ValuesIn(sanitizedShare(allCorpusFiles(), 0)),
                         [](const auto& row) { return corpusTestName(row.param); });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(DumpCorpus);

// mdbtools decrypts encrypted databases too: an encrypted copy that we make
// (every page but the header RC4 with the database key XOR the page number,
// by the engine's own cipher) must read the same for it as the original,
// which shows the copy is what Access would have written and the cipher
// Jet's. (That the engine reads such a copy as its original:
// compact_database_test.)
TEST(DumpMatchesMdbtools, EncryptedCopyReadsLikeTheOriginal) {
  REQUIRE_CORPUS();
  if (!haveMdbExport()) GTEST_SKIP() << "mdb-export (Debian package mdbtools) is not installed";
  TempDir dir;
  const auto original = corpusFile("testV1997.mdb");
  const auto encrypted = dir / "cifrada.mdb";
  writeFile(encrypted, encryptImage(readFile(original), 0x11223344));
  for (const char* table : {"Table1", "Table2", "MSysObjects"}) {
    SCOPED_TRACE(table);
    auto export_ = [&](const std::filesystem::path& f) {
      return runCommand("mdb-export -b hex " + shellQuote(f.string()) + " " + table);
    };
    CommandOutput a = export_(original), b = export_(encrypted);
    EXPECT_EQ(a.status, 0);
    EXPECT_GT(a.out.size(), 100u);
    EXPECT_EQ(a.out, b.out);
  }
}

// mdb-prop writes Yes/No values as yes/no and lists a block's properties in
// no fixed order, so blocks are compared as sorted sets of "target|name|value".
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

TEST(MdbReaderMatchesDump, EveryCompactedCorpusFile) {
  REQUIRE_CORPUS();
  if (std::string why; !haveMdbReader(&why)) GTEST_SKIP() << why;
  for (const auto& file : sanitizedShare(allCorpusFiles(), 1)) {
    // mdb-reader opens no password and reads text as code page 1252.
    const FileSettings settings = fileSettings(file);
    if (!settings.password.empty() || settings.codePage != 1252) continue;
    TempDir dir;
    const fs::path compacted = dir / file.filename().string();
    ASSERT_TRUE(jet::compactDatabase(file, compacted).ok()) << file;
    expectMdbReaderReadsAsJetdb(compacted);
  }
}

}  // namespace
