// Indexes of text in a sort order the engine does not encode (national
// orders): their keys are never made here. A compaction carries the stored
// keys over, in their order; the checker holds such an index to its rows and
// says so; a repair keeps it when it is sound and refuses (3056), touching
// nothing, when it would have to rebuild it.
//
// The keys given here are no General keys (they sort the rows backwards), so
// a key the engine made instead of carrying would show.
#include <gtest/gtest.h>

#include "jet/check/checker.h"
#include "jet/engine.h"
#include "jet/index/index_key.h"
#include "jet/model/catalog.h"
#include "jet/model/index_walker.h"
#include "jet/model/table.h"
#include "jet/rebuild/repair.h"
#include "jet/write/compactor.h"
#include "jet/write/extra_tables_source.h"
#include "jet/write/generator_tables.h"
#include "jet/write/new_database.h"
#include "tests/support/byte_list.h"
#include "tests/support/corpus.h"
#include "tests/support/damage.h"
#include "tests/support/open_table.h"

namespace jet {
namespace {

namespace fs = std::filesystem;
using namespace testing_support;
using Key = std::vector<std::byte>;

constexpr int kRows = 600;
constexpr std::uint16_t kArabic = 0x0401;
const DateTime kCreated{40000.5};

// The generator's Documentos with Titulo in the Arabic sort order, as its
// primary key; its second index over Id.
TableDefinition nationalTable() {
  for (auto& t : generator::generatedTables()) {
    if (t.kind != generator::TableKind::kDocumentos) continue;
    TableDefinition def = t.definition;
    def.columns[1].sortOrder = kArabic;
    def.realIndexes[0].columns = {{1, true}};
    def.realIndexes[1].columns = {{0, true}};
    def.logicalIndexes[1].name = "Id";
    return def;
  }
  return {};
}

// The primary key's stored key of row i: descending as i ascends.
Key storedKey(int i) {
  const int n = kRows - 1 - i;
  return {std::byte{0x7F}, std::byte{0x30}, std::byte(n >> 8), std::byte(n & 0xFF)};
}

std::vector<Value> row(int i) {
  return {std::int32_t{i}, Text{"T" + std::to_string(i)}, Value{}, Value{}, std::int16_t(i)};
}

// Rows 0, 1, ... with their stored primary keys.
class NationalStream final : public RowStream {
 public:
  Result<bool> next() override {
    if (next_ == kRows) return false;
    values_ = row(next_);
    keys_ = {storedKey(next_), std::nullopt};
    ++next_;
    return true;
  }
  const std::vector<Value>& values() const override { return values_; }
  std::span<const std::optional<Key>> carriedKeys() const override { return keys_; }

 private:
  int next_ = 0;
  std::vector<Value> values_;
  std::vector<std::optional<Key>> keys_;
};

// A new database with the national table, compacted to `path`.
Status writeNational(const fs::path& path) {
  auto base = newDatabaseSource(kCreated);
  ExtraTablesSource source(*base);
  JET_CHECK(source.addStreamedTable(
      SourceTable{"Nombres", source.unusedId(), nationalTable()},
      [] { return Result<std::unique_ptr<RowStream>>(std::make_unique<NationalStream>()); },
      kCreated));
  return compact(source, path);
}

struct IndexRead {
  std::vector<Key> keys;      // in tree order
  std::vector<std::int32_t> ids;  // the Id of the row each entry points at
  std::uint32_t root = 0;
};

// The entries of real index `r` of Nombres, with the rows they point at.
IndexRead readIndex(const fs::path& path, std::size_t r) {
  IndexRead out;
  const OpenedTable opened = openTable(readFile(path), "Nombres");
  EXPECT_TRUE(opened) << opened.error;
  if (!opened) return out;
  const Database* db = opened.db.get();
  const Table* table = &*opened.table;
  const RealIndexDef& real = table->definition().realIndexes[r];
  out.root = real.firstPage;
  FindingList findings;
  const IndexWalkTarget target{pageFetch(db->pages()), db->pages().pageCount(),
                               real.firstPage, table->definition().page, "", ""};
  std::vector<IndexEntry> entries;
  EXPECT_TRUE(walkIndex(target, findings, [&](const IndexEntry& e, std::uint32_t) {
    entries.push_back(e);
  }));
  EXPECT_TRUE(findings.empty());
  RowCursor rows = table->rows();
  for (const IndexEntry& e : entries) {
    out.keys.push_back(e.key);
    auto found = rows.readAt(RowLocation{e.dataPage, e.dataRow});
    EXPECT_TRUE(found && *found);
    if (found && *found) out.ids.push_back(std::get<std::int32_t>(rows.values()[0]));
  }
  return out;
}

void expectCarried(const fs::path& path) {
  const IndexRead pk = readIndex(path, 0);
  ASSERT_EQ(pk.keys.size(), std::size_t{kRows});
  for (int k = 0; k < kRows; ++k) {
    EXPECT_EQ(pk.keys[k], storedKey(kRows - 1 - k)) << "entry " << k;
    EXPECT_EQ(pk.ids[k], kRows - 1 - k) << "entry " << k;
  }
}

TEST(CarriedKeys, CompactionCarriesTheStoredKeysInTheirOrderAndCompactsToAFixedPoint) {
  TempDir dir;
  ASSERT_TRUE(writeNational(dir / "a.mdb"));
  expectCarried(dir / "a.mdb");
  // Rows lie in the primary key's order: Access's, backwards here.
  {
    const OpenedTable opened = openTable(readFile(dir / "a.mdb"), "Nombres");
    ASSERT_TRUE(opened) << opened.error;
    RowCursor rows = opened.table->rows();
    for (int expected = kRows - 1; *rows.next(); --expected) {
      EXPECT_EQ(std::get<std::int32_t>(rows.values()[0]), expected);
    }
    // Clean, and the checker says what it did not judge.
    auto report = checkDatabase(*opened.db);
    ASSERT_TRUE(report);
    for (const Finding& f : report->findings.findings()) ADD_FAILURE() << f.toString();
    ASSERT_EQ(report->notes.total(FindingKind::kUncheckedKeys), 1u);
    EXPECT_EQ(report->notes.findings().front().table, "Nombres");
  }
  // A healthy database's compaction carries them again, byte for byte.
  ASSERT_TRUE(compactDatabase(dir / "a.mdb", dir / "b.mdb"));
  EXPECT_TRUE(readFile(dir / "a.mdb") == readFile(dir / "b.mdb"));
}

TEST(CarriedKeys, RowsWithoutStoredKeysAreRefusedAndLeaveNothing) {
  TempDir dir;
  auto base = newDatabaseSource(kCreated);
  ExtraTablesSource source(*base);
  std::vector<std::vector<Value>> rows{row(0), row(1)};
  ASSERT_TRUE(source.addTable(SourceTable{"Nombres", source.unusedId(), nationalTable()}, rows, kCreated));
  auto s = compact(source, dir / "a.mdb");
  ASSERT_FALSE(s);
  EXPECT_EQ(s.error().number(), errc::kCorrupt);
  EXPECT_FALSE(fs::exists(dir / "a.mdb"));
}

// Damage in the index the engine makes is mended and the carried one kept;
// damage in the carried one stops the repair before it writes anything.
TEST(CarriedKeys, RepairKeepsASoundCarriedIndexAndRefusesToRebuildADamagedOne) {
  TempDir dir;
  ASSERT_TRUE(writeNational(dir / "a.mdb"));
  for (std::size_t damaged : {1u, 0u}) {
    SCOPED_TRACE(damaged == 0 ? "carried index damaged" : "the other index damaged");
    const fs::path copy = dir / ("r" + std::to_string(damaged) + ".mdb");
    std::string image = readFile(dir / "a.mdb");
    // The root page of the index names another table as its owner.
    setU32(image, at(readIndex(dir / "a.mdb", damaged).root, 4), 3);
    writeFile(copy, image);
    const std::string before = readFile(copy);
    auto report = repair(copy);
    if (damaged == 0) {
      ASSERT_FALSE(report);
      EXPECT_EQ(report.error().number(), errc::kCannotRepair);
      EXPECT_TRUE(readFile(copy) == before);
      EXPECT_FALSE(fs::exists(damagedCopyName(copy, 1)));
      EXPECT_FALSE(fs::exists(dir / "r0.mdb.reparando"));
    } else {
      ASSERT_TRUE(report) << report.error().toString();
      EXPECT_TRUE(report->written);
      expectCarried(copy);
      EXPECT_EQ(readIndex(copy, 1).keys.size(), std::size_t{kRows});
    }
  }
}

// carryKey: a stored key whose table id changed gets the new id's segment;
// one that is not the row's key is refused.
TEST(CarriedKeys, CarryKeyRemakesChangedSegmentsOnly) {
  const KeyColumn id{ColumnType::kLong, true, false};
  const KeyColumn text{ColumnType::kText, true, true};
  const std::vector<KeyColumn> columns{id, text};
  const Key stored = bytes({0x7F, 0x80, 0, 0, 7, /*the text as Access stored it*/ 0x7F, 0x99, 0x01});
  const std::vector<Value> before{std::int32_t{7}, Text{"x"}};
  const std::vector<Value> after{std::int32_t{9}, Text{"x"}};
  auto moved = carryKey(columns, stored, before, after);
  ASSERT_TRUE(moved) << moved.error().toString();
  EXPECT_EQ(*moved, bytes({0x7F, 0x80, 0, 0, 9, 0x7F, 0x99, 0x01}));
  auto same = carryKey(columns, stored, before, before);
  ASSERT_TRUE(same);
  EXPECT_EQ(*same, stored);
  // Id 8 is not what the stored key says; a key cut short has no text.
  const std::vector<Value> other{std::int32_t{8}, Text{"x"}};
  EXPECT_EQ(carryKey(columns, stored, other, other).error().number(), errc::kCorrupt);
  const Key cut(stored.begin(), stored.begin() + 6);
  EXPECT_EQ(carryKey(columns, cut, before, after).error().number(), errc::kCorrupt);
  // The carried text itself may not change; a key longer than its row's is not its key.
  auto renamed = carryKey(columns, stored, before, std::vector<Value>{std::int32_t{7}, Text{"y"}});
  EXPECT_EQ(renamed ? 0 : renamed.error().number(), errc::kInvalidArgument);
  const Key longer = bytes({0x7F, 0x80, 0, 0, 7, 0x00, 0x99});
  const std::vector<Value> noText{std::int32_t{7}, Value{}};
  auto trailing = carryKey(columns, longer, noText, noText);
  EXPECT_EQ(trailing ? 0 : trailing.error().number(), errc::kCorrupt);
  // The engine makes no key for the carried text, only its NULL.
  Key out;
  EXPECT_FALSE(appendKeyColumn(text, Text{"x"}, out));
  EXPECT_TRUE(appendKeyColumn(text, Value{}, out));
  EXPECT_EQ(out, Key{std::byte{0x00}});
}

}  // namespace
}  // namespace jet
