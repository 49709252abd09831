// Repair in place: a healthy database is not touched; a damaged one is
// rebuilt from what can be read, checks clean, reads alike in mdb-export and
// mdb-reader, keeps every row that lay on undamaged bytes, takes in no other
// row, lists its losses in MSysCompactError and keeps the damaged file
// beside it.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <iostream>

#include "jet/check/checker.h"
#include "jet/engine.h"
#include "jet/format/catalog_ids.h"
#include "jet/format/data_page.h"
#include "jet/format/index_page.h"
#include "jet/format/table_definition.h"
#include "jet/model/catalog.h"
#include "jet/model/database.h"
#include "jet/model/index_shape.h"
#include "jet/model/table.h"
#include "jet/rebuild/repair.h"
#include "jet/salvage/salvage_reader.h"
#include "jet/write/compactor.h"
#include "jet/write/extra_tables_source.h"
#include "jet/write/generator.h"
#include "jet/write/generator_tables.h"
#include "jet/write/new_database.h"
#include "tests/support/corpus.h"
#include "tests/support/damage.h"
#include "tests/support/damage_generator.h"
#include "tests/support/database_layout.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/mdb_reader_compare.h"
#include "tests/support/mdbtools_compare.h"
#include "tests/support/open_table.h"
#include "tests/support/recovery.h"

namespace jet {
namespace {

namespace fs = std::filesystem;
using namespace testing_support;

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
    // std::get throws, and the test fails, where a value is of another type.
    const std::int32_t code = std::get<std::int32_t>(row[0]);
    EXPECT_FALSE(Error(code).description().empty()) << code;
    const std::string& description = std::get<Text>(row[1]).bytes;
    EXPECT_FALSE(description.empty());
    const auto* table = std::get_if<Text>(&row[3]);
    EXPECT_TRUE(table ? !table->bytes.empty() : isNull(row[3])) << description;
  }
}

// Reads the repaired `file` into `out`. With `outsideReaders`, mdb-export and
// mdb-reader (where installed) must read every table as we do.
void readBack(const fs::path& file, bool outsideReaders, ReadBack& out) {
  auto db = Database::open(file);
  ASSERT_TRUE(db.ok()) << db.error().toString();
  auto check = checkDatabase(**db);
  ASSERT_TRUE(check.ok());
  if (!check->clean()) out.checkFindings = check->findings.findings().front().toString();
  auto catalog = Catalog::read(**db);
  ASSERT_TRUE(catalog.ok());
  for (const CatalogEntry* e : catalog->tables(true)) {
    auto table = Table::open(**db, e);
    ASSERT_TRUE(table.ok()) << e->name;
    auto& rows = out.rows[e->name];
    RowCursor cursor = table->rows();
    for (auto more = cursor.next(); more.ok() && *more; more = cursor.next()) rows.push_back(cursor.values());
    if (e->name == "MSysCompactError") out.errors = rows;
    if (outsideReaders && haveMdbExport() && !e->isSystem()) expectDumpMatchesMdbExport(file, *table);
  }
  if (outsideReaders && haveMdbReader()) expectMdbReaderReadsAsJetdb(file);
}

// tdef page -> table name, as the salvage of `image` names the tables (a
// damaged catalog row may have changed a name).
std::map<std::uint32_t, std::string> salvagedNames(const std::string& image) {
  std::map<std::uint32_t, std::string> names;
  MemoryBytes bytes(image);
  auto reader = SalvageReader::open(bytes);
  if (reader.ok()) for (const SalvagedTable& t : (*reader)->tables()) names[t.tdef()] = t.name();
  return names;
}

// Writes `image` to base.mdb in `dir` and repairs it through `fileSystem`.
Result<RepairReport> repairCopy(const fs::path& dir, const std::string& image,
                                FileSystem* fileSystem = nullptr) {
  writeFile(dir / "base.mdb", image);
  RepairOptions options;
  options.fileSystem = fileSystem;
  return repair(dir / "base.mdb", options);
}

// What a repair that wrote leaves in `dir`: base.mdb repaired, checking clean
// and listing what was met in MSysCompactError, beside base.dañado.mdb, the
// damaged `image` as it was. Returns what the repaired file holds.
ReadBack expectRepairedBeside(const fs::path& dir, const std::string& image, bool outsideReaders) {
  EXPECT_EQ(folderEntries(dir), (std::vector<std::string>{"base.dañado.mdb", "base.mdb"}));
  EXPECT_EQ(readFile(dir / jet::pathFromUtf8("base.dañado.mdb")), image)
      << "the damaged file kept as it was";
  ReadBack back;
  readBack(dir / "base.mdb", outsideReaders, back);
  EXPECT_EQ(back.checkFindings, "");
  expectErrorsDescribeProblems(back);
  return back;
}

TEST(RepairTest, HealthyCorpusFilesAreLeftByteForByte) {
  REQUIRE_CORPUS();
  for (const fs::path& path : allCorpusFiles()) {
    SCOPED_TRACE(path.filename().string());
    const std::string password = fileSettings(path).password;
    TempDir dir;
    const fs::path db = dir / "base.mdb";
    fs::copy_file(path, db);
    const auto before = fs::last_write_time(db);
    auto report = repair(db, {.password = password});
    ASSERT_TRUE(report.ok()) << report.error().toString();
    // Whatever Access left in it, the check finds no damage.
    for (const Finding& f : report->findings) ADD_FAILURE() << f.toString();
    EXPECT_FALSE(report->damaged);
    EXPECT_FALSE(report->written);
    EXPECT_EQ(readFile(db), readFile(path));
    EXPECT_EQ(fs::last_write_time(db), before);
    EXPECT_EQ(folderEntries(dir.path()), std::vector<std::string>{"base.mdb"});
  }
}

// The sound databases the damage is made from: the library's test files and
// two generated ones (every column type, index kind, long-value form, moved
// rows), four copies of each per kind; then every other corpus file (the
// real-world ones), one copy each per kind.
struct SoundImage { std::string name; std::string bytes; int copies = 1; };
std::vector<SoundImage> soundImages(const TempDir& dir) {
  std::vector<SoundImage> images;
  const std::vector<fs::path> library = corpusFiles();
  for (const fs::path& path : library) images.push_back({path.filename().string(), readFile(path), 4});
  for (std::uint64_t seed : {1, 2}) {
    const fs::path g = dir / ("generada" + std::to_string(seed) + ".mdb");
    auto made = generateDatabase(g, {1, seed, DateTime{45000}});
    EXPECT_TRUE(made.ok());
    if (made.ok()) images.push_back({g.filename().string(), readFile(g), 4});
  }
  for (const fs::path& path : allCorpusFiles()) {
    if (std::find(library.begin(), library.end(), path) != library.end()) continue;
    std::string bytes = readFile(path);
    // The measure needs every row of the original: a file whose rows the
    // reader cannot all read (a database password, ...) is said and left out.
    try {
      (void)originalRows(bytes, bytes);
    } catch (const std::runtime_error& e) {
      std::cout << path.filename().string() << " no se usa: " << e.what() << "\n";
      continue;
    }
    images.push_back({path.parent_path().filename().string() + "/" + path.filename().string(),
                      std::move(bytes), 1});
  }
  return images;
}

// True iff the database of `image` sorts its text in the General order.
bool generalSortOrder(const std::string& image) {
  auto db = Database::openBytes(image);
  return db && encodesSortOrder((*db)->header().sortOrder);
}

// One test per kind of damage, so that the kinds run side by side.
class RepairDamageTest : public ::testing::TestWithParam<DamageKind> {};

TEST_P(RepairDamageTest, DamagedCopiesAreRebuiltKeepingEveryRecoverableRow) {
  REQUIRE_CORPUS();
  TempDir sources;
  const auto images = soundImages(sources);
  const DamageKind kind = GetParam();
  // The seeds of each kind follow those of the kinds before it: 40 for the
  // library's and the generated files, and apart, one per real-world file.
  const auto position = static_cast<std::uint64_t>(
      std::find(std::begin(kAllDamageKinds), std::end(kAllDamageKinds), kind) - std::begin(kAllDamageKinds));
  std::uint64_t seed = position * 40, realSeed = 1000000 + position * 1000;
  int repaired = 0;
  std::uint64_t imageIndex = 0;
  for (const auto& [name, original, copies] : images) {
    // Under the sanitizers (ten times slower) each real-world file meets
    // every other kind of damage, all of them over the kinds.
    if (kSanitized && copies == 1 && (imageIndex++ + position) % 2 != 0) continue;
    for (int copy = 0; copy < copies; ++copy) {
      std::string image = original;
      const std::uint64_t used = copies > 1 ? ++seed : ++realSeed;
      const Damage damage = applyDamage(image, kind, used);
      if (!damage.applied) continue;
      SCOPED_TRACE(name + " seed " + std::to_string(used) + ": " + damage.what);
      TempDir dir;
      const fs::path db = dir / "base.mdb";
      auto report = repairCopy(dir.path(), image);
      if (!report.ok()) {
        // Only a catalog in a sort order whose keys the engine does not
        // make stops a repair (it would have to add MSysCompactError's
        // row), said with its number; the file is then as it was. A
        // database password does not: the repair needs none.
        const int code = report.error().number();
        EXPECT_TRUE(code == errc::kCannotRepair && !generalSortOrder(original))
            << report.error().toString();
        EXPECT_EQ(readFile(db), image);
        EXPECT_EQ(folderEntries(dir.path()), std::vector<std::string>{"base.mdb"});
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
      const ReadBack back = expectRepairedBeside(dir.path(), image, copy == 0 && copies > 1);
      const RecoveryScore score =
          scoreRecovery(originalRows(original, image), back.rows, salvagedNames(image));
      EXPECT_EQ(score.spurious, 0u);
      EXPECT_EQ(score.recovered, score.recoverable);
      // A repair that did not bring every row back (whole, or with the
      // values the damage changed) says it lost data.
      EXPECT_TRUE(score.cameBack == score.rows || report->lostData()) << score.cameBack << " of "
                                                                      << score.rows;
    }
  }
  EXPECT_GT(repaired, 0) << damageKindName(kind);
}

INSTANTIATE_TEST_SUITE_P(Kinds, RepairDamageTest, ::testing::ValuesIn(kAllDamageKinds),
                         [](const ::testing::TestParamInfo<DamageKind>& kind) {
                           std::string name(damageKindName(kind.param));
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

// Damage the repair can undo loses nothing, and every row comes back: what
// every Jet 3 file holds alike (page 0's header, MSysObjects' definition) is
// rebuilt as Access writes it; a data page whose row count its free space
// and row offsets contradict is read as they say.
TEST(RepairTest, DamageTheRepairCanUndoLosesNothing) {
  REQUIRE_CORPUS();
  struct Case { const char* file; const char* what; void (*damage)(std::string&); };
  const Case cases[] = {
      {"test2V1997.mdb", "MSysObjects' first column made a Byte (u32 at page 2, 0x3B, set to 2)",
       [](std::string& i) { setU32(i, at(2, 0x3B), 2); }},
      {"testV1997.mdb", "MSysObjects' column count impossible",
       [](std::string& i) { setU16(i, at(2, tdef::kColumnCount), 0xFFFF); }},
      {"testV1997.mdb", "page 0 zeroed", [](std::string& i) { std::fill_n(i.begin(), 2048, '\0'); }},
      {"indexTestV1997.mdb", "page 0's magic garbled", [](std::string& i) { i[6] ^= 0x20; }},
      {"testV1997.mdb", "the first data page's row count one short",
       [](std::string& i) {
         const std::size_t count = at(describeDatabase(i).userTables().front()->dataPages.front(),
                                      data_page::kRowCount);
         setU16(i, count, getU16(i, count) - 1);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.file) + ": " + c.what);
    TempDir dir;
    const std::string original = readFile(corpusFile(c.file));
    std::string image = original;
    c.damage(image);
    auto report = repairCopy(dir.path(), image);
    ASSERT_TRUE(report.ok()) << report.error().toString();
    ASSERT_TRUE(report->written);
    EXPECT_FALSE(report->lostData());
    const ReadBack back = expectRepairedBeside(dir.path(), image, true);
    const RecoveryScore score = scoreRecovery(originalRows(original, original), back.rows);
    EXPECT_EQ(score.recovered, score.recoverable);
    EXPECT_EQ(score.spurious, 0u);
  }
}

// A database named through a symbolic link: the file the link names is
// repaired where it lies, the damaged copy beside it is a real file with the
// damaged bytes, and the link stays the same link.
TEST(RepairTest, ADatabaseNamedByASymbolicLinkIsRepairedWhereItLies) {
  REQUIRE_CORPUS();
  TempDir dir;
  std::string image = readFile(corpusFile("testV1997.mdb"));
  ASSERT_TRUE(applyDamage(image, DamageKind::kIndexPage, 3).applied);
  fs::create_directory(dir / "datos");
  writeFile(dir / "datos" / "base.mdb", image);
  std::error_code linkError;
  fs::create_symlink(fs::path("datos") / "base.mdb", dir / "enlace.mdb", linkError);
  if (linkError) GTEST_SKIP() << "this file system makes no symbolic links: " << linkError.message();
  auto report = repair(dir / "enlace.mdb");
  ASSERT_TRUE(report.ok()) << report.error().toString();
  ASSERT_TRUE(report->written);
  EXPECT_TRUE(fs::is_symlink(dir / "enlace.mdb"));
  EXPECT_EQ(fs::read_symlink(dir / "enlace.mdb"), fs::path("datos") / "base.mdb");
  EXPECT_EQ(folderEntries(dir.path()), (std::vector<std::string>{"datos", "enlace.mdb"}));
  EXPECT_FALSE(fs::is_symlink(dir / "datos" / jet::pathFromUtf8("base.dañado.mdb")));
  expectRepairedBeside(dir / "datos", image, false);
  // A link that leads nowhere is a database that does not exist.
  fs::create_symlink("falta.mdb", dir / "roto.mdb");
  EXPECT_EQ(repairDatabase(dir / "roto.mdb").error().number(), errc::kNotFound);
}

// Each file operation of a repair fails in turn (the fault-injecting file
// system): afterwards the database's name holds the original bytes or the
// complete repaired file, and nothing of ours is left but the damaged copy
// beside a repaired file. Where the file system has no hard links (FAT, some
// network shares: link() refused), the damaged file is kept by a copy and the
// repaired file named by a rename: the repair succeeds all the same, and
// fails leaving nothing when the copy fails.
TEST(RepairTest, EachFailedFileOperationLeavesTheOriginalOrTheRepairedFile) {
  REQUIRE_CORPUS();
  std::string image = readFile(corpusFile("testV1997.mdb"));
  ASSERT_TRUE(applyDamage(image, DamageKind::kTableDefinition, 2).applied);
  image[0] = 'R';  // page 0 too: a copy of the damaged file must hold its first byte
  std::vector<std::string> operations;
  {
    TempDir dir;
    FaultyFileSystem counting(localFileSystem(), 0);
    auto report = repairCopy(dir.path(), image, &counting);
    ASSERT_TRUE(report.ok()) << report.error().toString();
    ASSERT_TRUE(report->written);
    operations = counting.log();
  }
  const auto swap = std::find(operations.begin(), operations.end(), "replace base.mdb");
  ASSERT_NE(swap, operations.end());
  const std::uint64_t swapAt = static_cast<std::uint64_t>(swap - operations.begin()) + 1;
  int links = 0;
  for (std::uint64_t failAt = 1; failAt <= operations.size(); ++failAt) {
    const bool link = operations[failAt - 1].rfind("link ", 0) == 0;
    links += link;
    std::vector<int> errors = {errc::kDiskFull};
    if (link) errors.insert(errors.end(), {errc::kNoPermission, errc::kIoError});
    for (int error : errors) {
      SCOPED_TRACE("operation " + std::to_string(failAt) + ": " + operations[failAt - 1] +
                   ", error " + std::to_string(error));
      TempDir dir;
      FaultyFileSystem faulty(localFileSystem(), failAt, error);
      auto report = repairCopy(dir.path(), image, &faulty);
      ASSERT_TRUE(faulty.failed());
      if (error != errc::kDiskFull) {
        ASSERT_TRUE(report.ok()) << "a refused link is no failure: " << report.error().toString();
      } else if (report.ok()) {
        // Only the removal of the compactor's temporary name may fail without
        // failing the repair (it is tried again).
        EXPECT_EQ(operations[failAt - 1].rfind("remove ~", 0), 0u);
      } else {
        EXPECT_EQ(report.error().number(), errc::kDiskFull);
      }
      if (failAt <= swapAt && !report.ok()) {
        EXPECT_EQ(readFile(dir / "base.mdb"), image);
        EXPECT_EQ(folderEntries(dir.path()), std::vector<std::string>{"base.mdb"});
        continue;
      }
      expectRepairedBeside(dir.path(), image, false);
    }
  }
  EXPECT_EQ(links, 2) << "the repaired file's name and the damaged file's copy";
  // No hard links, and then the copy of the damaged file fails: what it
  // wrote goes, and the database is as it was.
  TempDir dir;
  const auto keep = std::find(operations.begin(), operations.end(), "link base.dañado.mdb");
  FaultyFileSystem faulty(localFileSystem(), keep - operations.begin() + 1, errc::kIoError);
  faulty.failFirst("writeAt base.dañado.mdb");
  const auto failed = repairCopy(dir.path(), image, &faulty);
  EXPECT_EQ(failed ? 0 : failed.error().number(), errc::kIoError);
  EXPECT_EQ(readFile(dir / "base.mdb"), image);
  EXPECT_EQ(folderEntries(dir.path()), std::vector<std::string>{"base.mdb"});
}

// Two things a repair mends without dropping anything. A row that cannot
// stay in its table (its key repeats another's in a unique index) goes to
// "<table>_apartadas", same columns, no index, and the repair says so.
// Objects whose names repeat in their container are renamed "<name>_2",
// "<name>_3", ...: to the first name that is free, not to one another object
// already has. A table whose catalog row no longer says it is one takes the
// row's name back, unless another object has it.
TEST(RepairTest, RowsThatCannotStayAreSetAsideAndRepeatedNamesTakeTheFirstFreeOne) {
  TempDir dir;
  const DateTime created{40000.5};
  auto base = newDatabaseSource(created);
  ExtraTablesSource source(*base);
  TableDefinition documents;
  for (auto& t : generator::generatedTables()) {
    if (t.kind == generator::TableKind::kDocumentos) documents = t.definition;
  }
  ASSERT_FALSE(documents.realIndexes.empty());
  // Id is the primary key: the third row repeats the first's.
  std::vector<std::vector<Value>> rows;
  for (const auto& [id, title] : std::vector<std::pair<int, std::string>>{{1, "uno"}, {2, "dos"}, {1, "otro"}}) {
    rows.push_back({std::int32_t{id}, Text{title}, Value{}, Value{}, std::int16_t(id)});
  }
  ASSERT_TRUE(source.addTable(SourceTable{"Documentos", source.unusedId(), documents}, rows, created));
  for (const char* name : {"Tabla1", "Tabla1_2", "Tabla9", "Otra01", "Otra09", "Otra05"}) {
    ASSERT_TRUE(source.addTable(SourceTable{name, source.unusedId(), documents}, {}, created));
  }
  ASSERT_TRUE(compact(source, dir / "compactada.mdb"));
  std::string image = readFile(dir / "compactada.mdb");
  fs::remove(dir / "compactada.mdb");
  // "Otra05" becomes an "Otra01" whose row is a query's; "Tabla9" a second
  // "Tabla1", "Otra09" a second "Otra01".
  const TableLayout otra05 = *describeDatabase(image).table("Otra05");
  const OpenedTable catalog = openTable(image, "MSysObjects");
  ASSERT_TRUE(catalog) << catalog.error;
  renameTable(image, "Otra05", "Otra01");
  const std::size_t row = rowRange(image, otra05.catalogRow.page, otra05.catalogRow.row).start;
  for (const ColumnDef& c : catalog.table->definition().columns) {
    if (c.name == "Type") setU16(image, row + 1 + c.fixedOffset, 5);
  }
  renameTable(image, "Tabla9", "Tabla1");
  renameTable(image, "Otra09", "Otra01");
  auto report = repairCopy(dir.path(), image);
  ASSERT_TRUE(report) << report.error().toString();
  ASSERT_TRUE(report->written);
  EXPECT_TRUE(report->lostData());
  EXPECT_EQ(report->problems.lost(Loss::kSetAside), 1u);
  EXPECT_EQ(report->problems.lost(Loss::kRow), 0u);
  EXPECT_EQ(report->setAsideTables, std::vector<std::string>{"Documentos_apartadas"});
  const ReadBack back = expectRepairedBeside(dir.path(), image, true);
  EXPECT_EQ(back.rows.at("Documentos").size(), 2u);
  ASSERT_EQ(back.rows.count("Documentos_apartadas"), 1u);
  ASSERT_EQ(back.rows.at("Documentos_apartadas").size(), 1u);
  EXPECT_EQ(std::get<Text>(back.rows.at("Documentos_apartadas")[0][1]).bytes, "otro");
  for (const std::string& table : std::vector<std::string>{"Tabla1", "Tabla1_2", "Tabla1_3", "Otra01", "Otra01_2",
                                    "Tabla_recuperada_" + std::to_string(otra05.tdef)}) {
    EXPECT_EQ(back.rows.count(table), 1u) << table;
  }
}

// A relationship to a table the repair cannot bring back (its definition
// zeroed) is taken off the index that carried it, and the repair says so: the
// index stays, a plain one, as Access stores those. In indexTestV1997,
// Table1's index Table2Table1 is its relationship with Table2.
TEST(RepairTest, ARelationshipToALostTableLeavesAPlainIndex) {
  REQUIRE_CORPUS();
  std::string image = readFile(corpusFile("indexTestV1997.mdb"));
  const DatabaseLayout layout = describeDatabase(image);
  for (std::uint32_t p : layout.table("Table2")->tdefPages) {
    std::fill_n(image.begin() + at(p, 0), kPageSize, '\0');
  }
  TempDir dir;
  auto report = repairCopy(dir.path(), image);
  ASSERT_TRUE(report) << report.error().toString();
  EXPECT_TRUE(std::ranges::any_of(report->problems.problems(), [](const Problem& p) {
    return p.where.toString().find("que se ha perdido, se quita") != std::string::npos;
  }));
  const OpenedTable back = openTable(readFile(dir / "base.mdb"), "Table1");
  ASSERT_TRUE(back) << back.error;
  const auto& indexes = back.table->definition().logicalIndexes;
  const auto it = std::ranges::find(indexes, "Table2Table1", &LogicalIndexDef::name);
  ASSERT_NE(it, indexes.end());
  EXPECT_EQ(std::tuple(it->foreignKey(), it->relTableType, it->relIndex, it->relTablePage, it->cascadeUpdates,
                       it->cascadeDeletes), std::tuple(false, 0, -1, 0u, 0, 0));
}

// A catalog that sorts names in a national order still takes the rows a
// repair adds (MSysCompactError's): their names are ASCII, which such an
// order keys as General does where the catalog's own keys show it. Where they
// show an ASCII name keyed otherwise (a table renamed in its row, its stored
// key left as it was), the repair refuses (3056) and leaves the file as it was.
TEST(RepairTest, ACatalogInANationalOrderTakesTheRepairsRowsWhereItsKeysShowHow) {
  REQUIRE_CORPUS();
  int national = 0, repaired = 0, refused = 0;
  for (const fs::path& path : allCorpusFiles()) {
    const std::string original = readFile(path);
    if (!Database::openBytes(original) || generalSortOrder(original)) continue;
    ++national;
    const DatabaseLayout layout = describeDatabase(original);
    const auto ascii = std::find_if(layout.tables.begin(), layout.tables.end(), [](const TableLayout& t) {
      return !t.system && !t.name.empty() &&
             std::all_of(t.name.begin(), t.name.end(), [](char c) { return c > ' ' && c < 0x7F; });
    });
    std::string renamed = original;
    if (ascii != layout.tables.end()) {
      renameTable(renamed, ascii->name, std::string(1, (ascii->name[0] | 0x20) == 'q' ? 'X' : 'Q') + ascii->name.substr(1));
    }
    for (std::uint64_t seed = 1; seed <= 12; ++seed) {
      // Damage away from the catalog's index, whose keys a repair carries.
      const DamageKind kind = std::array{DamageKind::kUsageMap, DamageKind::kTableDefinition,
                                         DamageKind::kDataPage, DamageKind::kHeaderMask}[seed % 4];
      std::string image = original;
      if (!applyDamage(image, kind, seed).applied) continue;
      SCOPED_TRACE(path.filename().string() + " seed " + std::to_string(seed));
      TempDir dir;
      auto report = repairCopy(dir.path(), image);
      if (!report || !report->written) continue;
      ++repaired;
      expectRepairedBeside(dir.path(), image, false);
      if (kind != DamageKind::kHeaderMask || renamed == original) continue;
      image = renamed;
      ASSERT_TRUE(applyDamage(image, kind, seed).applied);
      TempDir other;
      report = repairCopy(other.path(), image);
      ASSERT_FALSE(report.ok()) << "a repair that had to key a name it cannot key";
      EXPECT_EQ(report.error().number(), errc::kCannotRepair) << report.error().toString();
      EXPECT_EQ(readFile(other / "base.mdb"), image);
      ++refused;
    }
  }
  if (national == 0) GTEST_SKIP() << "no corpus file has its catalog in a national order";
  EXPECT_GT(repaired, 0);
  EXPECT_GT(refused, 0);
}

// A container whose catalog row is lost comes back under its own name where
// its objects tell it: the forms' container is "Forms" again. The Databases
// container's row whose Id is garbled gives way to one with its own Id.
TEST(RepairTest, ALostContainerRowComesBackUnderItsName) {
  REQUIRE_CORPUS();
  int tried = 0;
  for (const fs::path& path : allCorpusFiles()) {
    const std::string original = readFile(path);
    auto db = Database::openBytes(original);
    if (!db) continue;
    auto catalog = Catalog::read(**db);
    if (!catalog) continue;
    const auto& entries = catalog->entries();
    auto forms = std::find_if(entries.begin(), entries.end(), [](const CatalogEntry& e) {
      return e.type == catalog_type::kContainer && e.name == "Forms";
    });
    if (forms == entries.end() || std::none_of(entries.begin(), entries.end(), [&](const CatalogEntry& e) {
          return e.parentId == forms->id && e.type == catalog_type::kForm;
        })) {
      continue;
    }
    SCOPED_TRACE(path.filename().string());
    std::string image = original;
    const std::size_t slot = at(forms->location.page, data_page::kRowOffsets + 2 * std::size_t{forms->location.row});
    setU16(image, slot, getU16(image, slot) | 0xC000);  // the row deleted
    auto databases = std::find_if(entries.begin(), entries.end(), [](const CatalogEntry& e) {
      return e.id == catalog_id::kDatabasesContainer;
    });
    ASSERT_NE(databases, entries.end());
    const std::size_t row = at(databases->location.page, data_page::kRowOffsets + 2 * std::size_t{databases->location.row});
    setU32(image, at(databases->location.page, (getU16(image, row) & data_page::kOffsetMask) + 1u), 0x2F000002);
    TempDir dir;
    auto report = repairCopy(dir.path(), image);
    ASSERT_TRUE(report) << report.error().toString();
    ASSERT_TRUE(report->written);
    auto repaired = Database::open(dir / "base.mdb");
    ASSERT_TRUE(repaired);
    auto after = Catalog::read(**repaired);
    ASSERT_TRUE(after);
    const CatalogEntry* container = after->findObject("Forms", catalog_type::kContainer);
    ASSERT_NE(container, nullptr);
    EXPECT_TRUE(std::any_of(after->entries().begin(), after->entries().end(), [&](const CatalogEntry& e) {
      return e.parentId == container->id && e.type == catalog_type::kForm;
    }));
    const CatalogEntry* databasesAfter = after->findObject("Databases", catalog_type::kContainer);
    EXPECT_EQ(databasesAfter ? databasesAfter->id : 0, catalog_id::kDatabasesContainer);
    if (++tried == 3) break;
  }
  if (tried == 0) GTEST_SKIP() << "no corpus file has forms";
}

// A database password (with a space, which Access allows; of one letter, the
// shortest): a wrong one (its case changed) is refused, the file as it was;
// without one, or with the right one, a damaged copy is rebuilt into a file
// that keeps it and checks clean.
TEST(RepairTest, ADatabasePasswordIsKeptAndAWrongOneRefused) {
  REQUIRE_CORPUS();
  const std::string original = corpusImage("testV1997.mdb");
  auto opens = [](const fs::path& file, const std::string& password) {
    return errorNumber(Database::open(file, Database::Access::kRead, password));
  };
  for (const auto& [secret, wrongOne] : {std::pair{"Mi Clave", "mi clave"}, std::pair{"K", "k"}}) {
    SCOPED_TRACE(secret);
    TempDir dir;
    std::string damaged = original;
    ASSERT_TRUE(applyDamage(damaged, DamageKind::kDataPage, 3).applied);
    damaged = withPasswordBytes(damaged, secret);
    RepairOptions wrong;
    wrong.password = wrongOne;
    writeFile(dir / "dañada.mdb", damaged);
    auto refusedRepair = repair(dir / "dañada.mdb", wrong);
    ASSERT_FALSE(refusedRepair);
    EXPECT_EQ(refusedRepair.error().number(), errc::kBadPassword);
    EXPECT_EQ(readFile(dir / "dañada.mdb"), damaged);
    for (const char* given : {"", secret}) {
      SCOPED_TRACE(given);
      TempDir here;
      writeFile(here / "dañada.mdb", damaged);
      auto repaired = repair(here / "dañada.mdb", {.password = given});
      ASSERT_TRUE(repaired) << repaired.error().toString();
      EXPECT_TRUE(repaired->written);
      EXPECT_EQ(opens(here / "dañada.mdb", ""), errc::kBadPassword);
      auto db = Database::open(here / "dañada.mdb", Database::Access::kRead, secret);
      ASSERT_TRUE(db);
      auto check = checkDatabase(**db);
      ASSERT_TRUE(check);
      EXPECT_TRUE(check->clean());
    }
  }
}

// Rows gone without a word (the last row of a page cut off, the page's free
// space made to agree) are counted by the indexes that name them, when no
// index page is damaged; otherwise only the definition's count of rows says
// how many went.
TEST(RepairTest, RowsGoneWithoutAWordAreCountedBySoundIndexesOnly) {
  REQUIRE_CORPUS();
  std::string image = readFile(corpusFile("testV1997.mdb"));
  const TableLayout table = *describeDatabase(image).userTables().front();
  const std::uint32_t page = table.dataPages.front();
  const std::uint16_t rows = getU16(image, at(page, data_page::kRowCount));
  const ByteRange last = rowRange(image, page, rows - 1);
  const std::size_t freeSpace = at(page, data_page::kFreeSpace);
  setU16(image, at(page, data_page::kRowCount), rows - 1);
  setU16(image, freeSpace, static_cast<std::uint16_t>(getU16(image, freeSpace) + last.end - last.start + 2));
  for (bool sound : {true, false}) {
    std::string copy = image;
    if (!sound) for (std::uint32_t n : table.indexPages) setU16(copy, at(n, index_page::kFreeSpace), 0);
    TempDir dir;
    auto report = repairCopy(dir.path(), copy);
    ASSERT_TRUE(report) << report.error().toString();
    std::string said;
    for (const Problem& p : report->problems.problems()) said += p.where.toString() + "\n";
    const char* want = sound ? "1 filas que los índices" : "pueden haberse perdido 1";
    EXPECT_NE(said.find(want), std::string::npos) << said;
  }
}

}  // namespace
}  // namespace jet
