// Repair in place: a healthy database is not touched; a damaged one is
// rebuilt from what can be read, checks clean, reads alike in mdb-export and
// mdb-reader, keeps every row that lay on undamaged bytes, takes in no other
// row, lists its losses in MSysCompactError and keeps the damaged file
// beside it.
//
// DamagedCopiesAreRebuilt prints, per kind of damage, the recovery figures
// (recovered rows over recoverable rows, spurious rows):
//   build/tests/jet_tests --gtest_filter='*RepairDamageTest*'
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>

#include "jet/check/checker.h"
#include "jet/engine.h"
#include "jet/model/catalog.h"
#include "jet/model/table.h"
#include "jet/repair/repair.h"
#include "jet/salvage/salvage_reader.h"
#include "jet/write/generator.h"
#include "tests/support/check_image.h"
#include "tests/support/corpus.h"
#include "tests/support/damage_generator.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/foreign_lock.h"
#include "tests/support/mdb_reader_compare.h"
#include "tests/support/mdbtools_compare.h"
#include "tests/support/recovery.h"

namespace jet {
namespace {

namespace fs = std::filesystem;
using namespace testing_support;

std::vector<std::string> folderEntries(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// What a repaired database holds: its rows by table, the number of
// MSysCompactError rows, and whether it checks clean.
struct ReadBack {
  RecoveredRows rows;
  std::vector<std::vector<Value>> errors;  // the rows of MSysCompactError
  std::string checkFindings;               // empty when clean
};

// Every MSysCompactError row says what was met: a Jet error number with its
// text, and the table's name or NULL (a table whose definition was lost is
// named there and is not in the file).
void expectErrorsDescribeProblems(const ReadBack& back) {
  EXPECT_GT(back.errors.size(), 0u) << "MSysCompactError lists what was met";
  for (const auto& row : back.errors) {
    ASSERT_EQ(row.size(), 4u);
    const auto* code = std::get_if<std::int32_t>(&row[0]);
    ASSERT_NE(code, nullptr);
    EXPECT_FALSE(Error(*code).description().empty()) << *code;
    const auto* description = std::get_if<Text>(&row[1]);
    ASSERT_NE(description, nullptr);
    EXPECT_FALSE(description->bytes.empty());
    if (const auto* table = std::get_if<Text>(&row[3])) {
      EXPECT_FALSE(table->bytes.empty()) << description->bytes;
    } else {
      EXPECT_TRUE(isNull(row[3])) << description->bytes;
    }
  }
}

// With `outsideReaders`, mdb-export and mdb-reader (where installed) must
// read every table as we do.
ReadBack readBack(const fs::path& file, bool outsideReaders) {
  ReadBack out;
  auto db = Database::open(file);
  EXPECT_TRUE(db.ok()) << db.error().toString();
  if (!db.ok()) return out;
  auto check = checkDatabase(**db);
  EXPECT_TRUE(check.ok());
  if (check.ok() && !check->clean()) out.checkFindings = check->findings.findings().front().toString();
  auto catalog = Catalog::read(**db);
  EXPECT_TRUE(catalog.ok());
  if (!catalog.ok()) return out;
  for (const CatalogEntry* e : catalog->tables(true)) {
    auto table = Table::open(**db, e);
    EXPECT_TRUE(table.ok()) << e->name;
    if (!table.ok()) continue;
    auto& rows = out.rows[e->name];
    RowCursor cursor = table->rows();
    for (auto more = cursor.next(); more.ok() && *more; more = cursor.next()) rows.push_back(cursor.values());
    if (e->name == "MSysCompactError") out.errors = rows;
    if (outsideReaders && haveMdbExport() && !e->isSystem()) expectDumpMatchesMdbExport(file, *table);
  }
  if (outsideReaders && haveMdbReader()) expectMdbReaderReadsAsJetdb(file);
  return out;
}

// tdef page -> table name, as the salvage of `image` names the tables (a
// damaged catalog row may have changed a name).
std::map<std::uint32_t, std::string> salvagedNames(const std::string& image) {
  std::map<std::uint32_t, std::string> names;
  MemoryBytes bytes(image);
  auto reader = SalvageReader::open(bytes);
  if (reader.ok()) {
    for (const SalvagedTable& t : (*reader)->tables()) names[t.tdef()] = t.name();
  }
  return names;
}

TEST(RepairTest, HealthyCorpusFilesAreLeftByteForByte) {
  REQUIRE_CORPUS();
  for (const fs::path& path : allCorpusFiles()) {
    SCOPED_TRACE(path.filename().string());
    const std::string password = fileSettings(path).password;
    {
      auto source = Database::open(path, Database::Access::kRead, password);
      ASSERT_TRUE(source);
      auto check = checkDatabase(**source);
      ASSERT_TRUE(check);
      const auto& found = check->findings.findings();
      if (std::any_of(found.begin(), found.end(), isKeyBytesFinding)) continue;  // not healthy for us yet
    }
    TempDir dir;
    const fs::path db = dir / "base.mdb";
    fs::copy_file(path, db);
    const auto before = fs::last_write_time(db);
    RepairOptions options;
    options.password = password;
    auto report = repair(db, options);
    ASSERT_TRUE(report.ok()) << report.error().toString();
    EXPECT_FALSE(report->damaged);
    EXPECT_FALSE(report->written);
    EXPECT_EQ(readFile(db), readFile(path));
    EXPECT_EQ(fs::last_write_time(db), before);
    EXPECT_EQ(folderEntries(dir.path()), std::vector<std::string>{"base.mdb"});
  }
}

TEST(RepairTest, WhatCannotBeOpenedIsNotTouched) {
  REQUIRE_CORPUS();
  TempDir dir;
  EXPECT_EQ(repairDatabase(dir / "falta.mdb").error().number(), errc::kNotFound);

  writeFile(dir / "texto.mdb", "Esto no es una base de datos.\n");
  EXPECT_EQ(repairDatabase(dir / "texto.mdb").error().number(), errc::kNotDatabase);
  EXPECT_EQ(readFile(dir / "texto.mdb"), "Esto no es una base de datos.\n");

  // Another program holds the database open.
  std::string image = readFile(corpusFile("testV1997.mdb"));
  applyDamage(image, DamageKind::kDataPage, 3);
  writeFile(dir / "uso.mdb", image);
  ForeignLock other(dir / "uso.mdb");
  ASSERT_TRUE(other.held());
  EXPECT_EQ(repairDatabase(dir / "uso.mdb").error().number(), errc::kInUse);
  other.release();
  EXPECT_EQ(readFile(dir / "uso.mdb"), image);
  EXPECT_EQ(folderEntries(dir.path()), (std::vector<std::string>{"texto.mdb", "uso.mdb"}));
}

TEST(RepairTest, DryRunSaysWhatItWouldDoAndWritesNothing) {
  REQUIRE_CORPUS();
  TempDir dir;
  std::string image = readFile(corpusFile("testV1997.mdb"));
  ASSERT_TRUE(applyDamage(image, DamageKind::kTableDefinition, 2).applied);
  writeFile(dir / "b.mdb", image);
  RepairOptions options;
  options.dryRun = true;
  auto report = repair(dir / "b.mdb", options);
  ASSERT_TRUE(report.ok()) << report.error().toString();
  EXPECT_TRUE(report->damaged);
  EXPECT_FALSE(report->written);
  EXPECT_GT(report->findingsTotal + report->problems.total(), 0u);
  EXPECT_EQ(readFile(dir / "b.mdb"), image);
  EXPECT_EQ(folderEntries(dir.path()), std::vector<std::string>{"b.mdb"});
}

// The sound databases the damage is made from: the corpus and two generated
// ones (every column type, index kind, long-value form, moved rows).
std::vector<std::pair<std::string, std::string>> soundImages(const TempDir& dir) {
  std::vector<std::pair<std::string, std::string>> images;
  for (const fs::path& path : corpusFiles()) images.emplace_back(path.filename().string(), readFile(path));
  for (std::uint64_t seed : {1, 2}) {
    const fs::path g = dir / ("generada" + std::to_string(seed) + ".mdb");
    auto made = generateDatabase(g, {1, seed, DateTime{45000}});
    EXPECT_TRUE(made.ok());
    if (made.ok()) images.emplace_back(g.filename().string(), readFile(g));
  }
  return images;
}

// One test per kind of damage, so that the kinds run side by side.
class RepairDamageTest : public ::testing::TestWithParam<DamageKind> {};

TEST_P(RepairDamageTest, DamagedCopiesAreRebuiltKeepingEveryRecoverableRow) {
  REQUIRE_CORPUS();
  TempDir sources;
  const auto images = soundImages(sources);
  const DamageKind kind = GetParam();
  // The seeds of each kind follow those of the kinds before it.
  const auto position = static_cast<std::uint64_t>(
      std::find(std::begin(kAllDamageKinds), std::end(kAllDamageKinds), kind) - std::begin(kAllDamageKinds));
  std::uint64_t seed = position * images.size() * 4;
  {
    RecoveryScore total;
    int repaired = 0, refused = 0;
    for (const auto& [name, original] : images) {
      for (int copy = 0; copy < 4; ++copy) {
        std::string image = original;
        const Damage damage = applyDamage(image, kind, ++seed);
        if (!damage.applied) continue;
        SCOPED_TRACE(name + " seed " + std::to_string(seed) + ": " + damage.what);
        TempDir dir;
        const fs::path db = dir / "base.mdb";
        writeFile(db, image);
        auto report = repair(db);
        if (!report.ok()) {
          // Only a lost MSysObjects definition or a password field that
          // looks real may stop a repair, said with its number; the file is
          // then as it was.
          EXPECT_TRUE(report.error().number() == errc::kCorrupt ||
                      report.error().number() == errc::kBadPassword)
              << report.error().toString();
          EXPECT_EQ(readFile(db), image);
          EXPECT_EQ(folderEntries(dir.path()), std::vector<std::string>{"base.mdb"});
          ++refused;
          continue;
        }
        if (!report->damaged) {
          // Damage the check cannot see (bytes no structure uses) changes
          // nothing any reader reads: the file stays as it is.
          EXPECT_EQ(readFile(db), image);
          continue;
        }
        ++repaired;
        ASSERT_TRUE(report->written);
        EXPECT_EQ(folderEntries(dir.path()),
                  (std::vector<std::string>{"base.dañado.mdb", "base.mdb"}));
        EXPECT_EQ(readFile(dir / "base.dañado.mdb"), image) << "the damaged file kept as it was";
        const ReadBack back = readBack(db, copy == 0);
        EXPECT_EQ(back.checkFindings, "");
        expectErrorsDescribeProblems(back);
        RecoveryScore score = scoreRecovery(originalRows(original, image), back.rows, salvagedNames(image));
        EXPECT_EQ(score.spurious, 0u) << ::testing::PrintToString(score.notes);
        EXPECT_EQ(score.recovered, score.recoverable) << ::testing::PrintToString(score.notes);
        total += score;
      }
    }
    EXPECT_GT(repaired, 0) << damageKindName(kind);
    std::cout << damageKindName(kind) << ": " << repaired << " repaired, " << refused << " refused; "
              << total.recovered << "/" << total.recoverable << " recoverable rows ("
              << 100.0 * total.rate() << "%), " << total.bonus << " more, " << total.altered
              << " altered, " << total.damaged << " damaged, " << total.spurious << " spurious\n";
  }
}

INSTANTIATE_TEST_SUITE_P(Kinds, RepairDamageTest, ::testing::ValuesIn(kAllDamageKinds),
                         [](const ::testing::TestParamInfo<DamageKind>& kind) {
                           std::string name(damageKindName(kind.param));
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });


// Each file operation of a repair fails in turn (the fault-injecting file
// system): afterwards the database's name holds the original bytes or the
// complete repaired file, and nothing of ours is left but the damaged copy
// beside a repaired file.
TEST(RepairTest, EachFailedFileOperationLeavesTheOriginalOrTheRepairedFile) {
  REQUIRE_CORPUS();
  std::string image = readFile(corpusFile("testV1997.mdb"));
  ASSERT_TRUE(applyDamage(image, DamageKind::kTableDefinition, 2).applied);
  std::vector<std::string> operations;
  {
    TempDir dir;
    writeFile(dir / "base.mdb", image);
    FaultyFileSystem counting(localFileSystem(), 0);
    RepairOptions options;
    options.fileSystem = &counting;
    auto report = repair(dir / "base.mdb", options);
    ASSERT_TRUE(report.ok()) << report.error().toString();
    ASSERT_TRUE(report->written);
    operations = counting.log();
  }
  const auto swap = std::find(operations.begin(), operations.end(), "replace base.mdb");
  ASSERT_NE(swap, operations.end());
  const std::uint64_t swapAt = static_cast<std::uint64_t>(swap - operations.begin()) + 1;
  for (std::uint64_t failAt = 1; failAt <= operations.size(); ++failAt) {
    SCOPED_TRACE("operation " + std::to_string(failAt) + ": " + operations[failAt - 1]);
    TempDir dir;
    const fs::path db = dir / "base.mdb";
    writeFile(db, image);
    FaultyFileSystem faulty(localFileSystem(), failAt);
    RepairOptions options;
    options.fileSystem = &faulty;
    auto report = repair(db, options);
    ASSERT_TRUE(faulty.failed());
    if (report.ok()) {
      // Only the removal of the compactor's temporary name may fail without
      // failing the repair (it is tried again).
      EXPECT_EQ(operations[failAt - 1].rfind("remove ~", 0), 0u);
    } else {
      EXPECT_EQ(report.error().number(), errc::kDiskFull);
    }
    if (failAt <= swapAt && !report.ok()) {
      EXPECT_EQ(readFile(db), image);
      EXPECT_EQ(folderEntries(dir.path()), std::vector<std::string>{"base.mdb"});
      continue;
    }
    EXPECT_EQ(folderEntries(dir.path()), (std::vector<std::string>{"base.dañado.mdb", "base.mdb"}));
    EXPECT_EQ(readFile(dir / "base.dañado.mdb"), image);
    const ReadBack back = readBack(db, false);
    EXPECT_EQ(back.checkFindings, "");
    expectErrorsDescribeProblems(back);
  }
}

// Where the file system has no hard links (FAT, some network shares: link()
// refused), the damaged file is kept by a copy and the repaired file named
// by a rename: the outcome is the same.
TEST(RepairTest, WithoutHardLinksTheDamagedFileIsCopied) {
  REQUIRE_CORPUS();
  std::string image = readFile(corpusFile("testV1997.mdb"));
  ASSERT_TRUE(applyDamage(image, DamageKind::kIndexPage, 3).applied);
  TempDir probe;
  writeFile(probe / "base.mdb", image);
  FaultyFileSystem counting(localFileSystem(), 0);
  RepairOptions options;
  options.fileSystem = &counting;
  ASSERT_TRUE(repair(probe / "base.mdb", options).ok());
  const std::vector<std::string> operations = counting.log();
  int links = 0;
  for (std::uint64_t at = 1; at <= operations.size(); ++at) {
    if (operations[at - 1].rfind("link ", 0) != 0) continue;
    ++links;
    SCOPED_TRACE(operations[at - 1]);
    for (int refusal : {errc::kNoPermission, errc::kIoError}) {
      TempDir dir;
      const fs::path db = dir / "base.mdb";
      writeFile(db, image);
      FaultyFileSystem noLinks(localFileSystem(), at, refusal);
      options.fileSystem = &noLinks;
      auto report = repair(db, options);
      ASSERT_TRUE(report.ok()) << report.error().toString();
      ASSERT_TRUE(report->written);
      EXPECT_EQ(folderEntries(dir.path()), (std::vector<std::string>{"base.dañado.mdb", "base.mdb"}));
      EXPECT_EQ(readFile(dir / "base.dañado.mdb"), image);
      const ReadBack back = readBack(db, false);
      EXPECT_EQ(back.checkFindings, "");
      expectErrorsDescribeProblems(back);
    }
  }
  EXPECT_EQ(links, 2) << "the repaired file's name and the damaged file's copy";
}

}  // namespace
}  // namespace jet
