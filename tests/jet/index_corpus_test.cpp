// The proof of the key encoder: for every entry of every index of every table
// (system tables included) of every corpus file, subfolders included, the key
// we compute from the row is the key Access stored, byte for byte, and each
// index holds exactly one entry per indexed row. An index of text in a
// national sort order, whose keys the engine does not make, is held to its
// rows only.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>

#include "jet/check/index_compare.h"
#include "jet/model/catalog.h"
#include "jet/model/database.h"
#include "jet/model/index_shape.h"
#include "jet/model/index_walker.h"
#include "jet/model/table.h"
#include "tests/support/corpus.h"

namespace jet {
namespace {

std::string hexKey(const std::vector<std::byte>& key) {
  std::string out;
  char buf[4];
  for (std::byte b : key) {
    std::snprintf(buf, sizeof buf, "%02x ", std::to_integer<unsigned>(b));
    out += buf;
  }
  return out;
}

// The names of the logical indexes over real index `real`.
std::string indexName(const TableDefinition& def, const RealIndexDef& real) {
  std::string name;
  for (const LogicalIndexDef& l : def.logicalIndexes) {
    if (l.realIndex != real.position) continue;
    name += (name.empty() ? "" : ", ") + l.name;
  }
  return name.empty() ? "#" + std::to_string(real.position) : name;
}

struct Tally {
  std::map<ColumnType, std::uint64_t> keysByType;  // keys equal to Access's, per column type
  std::uint64_t keys = 0, carried = 0;
};

// Compares one index with its table's rows; a failure names the entry (the
// row it points at) and both keys.
void compareIndex(const Database& db, const Table& table, const RealIndexDef& real, Tally& tally) {
  const TableDefinition& def = table.definition();
  const std::string where = "tabla " + table.name() + ", índice " + indexName(def, real);
  auto shape = indexShape(def, real);
  ASSERT_TRUE(shape.ok()) << where << ": " << shape.error().toString();
  IndexExpectation expected(*shape);
  RowCursor rows = table.rows();
  for (;;) {
    auto more = rows.next();
    ASSERT_TRUE(more.ok()) << where << ": " << more.error().toString();
    if (!*more) break;
    const RowLocation at = rows.location();
    ASSERT_TRUE(expected.addRow(rows.values(), at.page, at.row).ok()) << where;
  }
  FindingList findings;
  const IndexWalkTarget target{pageFetch(db.pages()), db.pages().pageCount(), real.firstPage,
                               def.page, table.name(), ""};
  std::map<std::uint32_t, std::vector<std::byte>> stored;  // by RowLocation::pointer()
  std::uint64_t repeated = 0;
  auto walk = walkIndex(target, findings, [&](const IndexEntry& e, std::uint32_t) {
    if (!stored.emplace(RowLocation{e.dataPage, e.dataRow}.pointer(), e.key).second) ++repeated;
  });
  ASSERT_TRUE(walk.ok()) << where << ": " << walk.error().toString();
  for (const Finding& f : findings.findings()) ADD_FAILURE() << where << ": " << f.toString();
  EXPECT_EQ(repeated, 0u) << where << ": entries repeated for one row";

  std::uint64_t differ = 0, matched = 0;
  for (const IndexEntry& want : expected.entries()) {
    auto it = stored.find(RowLocation{want.dataPage, want.dataRow}.pointer());
    if (it == stored.end()) {
      ADD_FAILURE() << where << ": no entry for row " << want.dataPage << "/" << int(want.dataRow);
      continue;
    }
    if (!shape->carried && it->second != want.key) {
      if (++differ <= 5) {
        ADD_FAILURE() << where << ", entry of row " << want.dataPage << "/" << int(want.dataRow)
                      << ":\n  stored   " << hexKey(it->second) << "\n  computed "
                      << hexKey(want.key);
      }
    } else {
      ++matched;
    }
    stored.erase(it);
  }
  EXPECT_EQ(differ, 0u) << where << ": " << differ << " keys differ";
  EXPECT_TRUE(stored.empty()) << where << ": " << stored.size() << " entries point at no row";
  if (shape->carried) {
    tally.carried += matched;
    return;
  }
  tally.keys += matched;
  for (const KeyColumn& c : shape->columns) tally.keysByType[c.type] += matched;
}

TEST(IndexCorpusTest, EveryStoredKeyIsTheKeyOfItsRow) {
  REQUIRE_CORPUS();
  Tally tally;
  for (const auto& path : testing_support::allCorpusFiles()) {
    SCOPED_TRACE(path.lexically_relative(testing_support::corpusDir()).string());
    auto db = Database::open(path, Database::Access::kRead,
                             testing_support::fileSettings(path).password);
    if (!db.ok()) {
      ADD_FAILURE() << db.error().toString();
      continue;
    }
    auto catalog = Catalog::read(**db);
    if (!catalog.ok()) {
      ADD_FAILURE() << catalog.error().toString();
      continue;
    }
    for (const CatalogEntry* entry : catalog->tables(/*includeSystem=*/true)) {
      auto table = Table::open(**db, entry);
      if (!table.ok()) {
        ADD_FAILURE() << table.error().toString();
        continue;
      }
      for (const RealIndexDef& real : table->definition().realIndexes) {
        compareIndex(**db, *table, real, tally);
      }
    }
  }
  EXPECT_GT(tally.keys, 10000u);
  std::printf("[ figures  ] %llu keys equal to Access's; %llu entries of national-order indexes "
              "matched by row\n[ figures  ] keys per column type:",
              static_cast<unsigned long long>(tally.keys),
              static_cast<unsigned long long>(tally.carried));
  for (const auto& [type, n] : tally.keysByType) {
    std::printf(" %s %llu", std::string(columnTypeName(type)).c_str(),
                static_cast<unsigned long long>(n));
  }
  std::printf("\n");
}

}  // namespace
}  // namespace jet
