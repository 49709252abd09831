// The proof of the key encoder: for every row of every indexed table of every
// corpus file, the key we compute is the key Access stored, byte for byte,
// and each index holds exactly its rows' entries, in order.
#include <gtest/gtest.h>

#include <algorithm>

#include "jet/model/catalog.h"
#include "jet/model/database.h"
#include "jet/model/index_shape.h"
#include "jet/model/index_walker.h"
#include "jet/model/table.h"
#include "jet/check/index_compare.h"
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

TEST(IndexCorpusTest, EveryStoredKeyIsTheKeyOfItsRowAndEveryIndexHoldsExactlyItsRows) {
  REQUIRE_CORPUS();
  std::uint64_t indexes = 0, keys = 0, nonEmpty = 0;
  for (const auto& path : testing_support::corpusFiles()) {
    SCOPED_TRACE(path.filename().string());
    auto db = Database::open(path);
    ASSERT_TRUE(db.ok()) << db.error().toString();
    auto catalog = Catalog::read(**db);
    ASSERT_TRUE(catalog.ok()) << catalog.error().toString();
    for (const CatalogEntry* entry : catalog->tables(/*includeSystem=*/true)) {
      auto table = Table::open(**db, entry);
      ASSERT_TRUE(table.ok()) << table.error().toString();
      const TableDefinition& def = table->definition();
      for (const RealIndexDef& real : def.realIndexes) {
        SCOPED_TRACE(table->name() + " index " + std::to_string(real.position));
        auto shape = indexShape(def, real);
        ASSERT_TRUE(shape.ok()) << shape.error().toString();
        IndexExpectation expected(*shape);
        RowCursor rows = table->rows();
        for (;;) {
          auto more = rows.next();
          ASSERT_TRUE(more.ok()) << more.error().toString();
          if (!*more) break;
          const RowLocation at = rows.location();
          ASSERT_TRUE(expected.addRow(rows.values(), at.page, at.row).ok());
        }
        FindingList findings;
        IndexWalkTarget target{pageFetch((*db)->pages()), (*db)->pages().pageCount(),
                               real.firstPage, def.page, table->name(), ""};
        std::vector<IndexEntry> actual;
        auto walk = walkIndex(target, findings, [&](const IndexEntry& e, std::uint32_t) {
          actual.push_back(e);
        });
        ASSERT_TRUE(walk.ok()) << walk.error().toString();
        for (const Finding& f : findings.findings()) ADD_FAILURE() << f.toString();

        std::vector<IndexEntry> wanted = expected.entries();
        std::sort(wanted.begin(), wanted.end());
        ASSERT_EQ(actual.size(), wanted.size());
        for (std::size_t i = 0; i < wanted.size(); ++i) {
          ASSERT_EQ(actual[i].dataPage, wanted[i].dataPage) << "entry " << i;
          ASSERT_EQ(actual[i].dataRow, wanted[i].dataRow) << "entry " << i;
          ASSERT_EQ(actual[i].key, wanted[i].key)
              << "row " << wanted[i].dataPage << "/" << int(wanted[i].dataRow) << ": stored "
              << hexKey(actual[i].key) << ", computed " << hexKey(wanted[i].key);
        }
        ++indexes;
        keys += wanted.size();
        if (!wanted.empty()) ++nonEmpty;
      }
    }
  }
  // The corpus holds 89 real indexes, 53 with entries, 1626 keys in all.
  EXPECT_GT(indexes, 80u);
  EXPECT_GT(nonEmpty, 50u);
  EXPECT_GT(keys, 1500u);
  std::printf("[ figures  ] %llu indexes (%llu with entries), %llu keys equal to Access's\n",
              static_cast<unsigned long long>(indexes), static_cast<unsigned long long>(nonEmpty),
              static_cast<unsigned long long>(keys));
}

}  // namespace
}  // namespace jet
