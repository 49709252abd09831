// What the generator puts in a file: every column type and index kind, long
// values of all three forms (an inline one pointing nowhere), deleted and moved
// rows, texts of whole words, memo and OLE columns of length 0; and a size
// near the one asked for.
#include <gtest/gtest.h>

#include <set>

#include "jet/format/long_value.h"
#include "jet/format/row.h"
#include "jet/model/catalog.h"
#include "jet/model/table.h"
#include "jet/write/generator.h"
#include "tests/support/corpus.h"

namespace jet {
namespace {

using namespace testing_support;

struct Seen {
  std::set<std::uint8_t> types;
  std::set<std::uint8_t> longValueForms;
  int deleted = 0, moved = 0, texts = 0, oddBlanks = 0, capitalWords = 0, inlinePointers = 0,
      sizedLongValues = 0;
  bool primary = false, unique = false, compound = false, descending = false, text = false,
       ignoresNulls = false;
};

Seen survey(const Database& db) {
  Seen seen;
  auto catalog = Catalog::read(db);
  EXPECT_TRUE(catalog);
  for (const CatalogEntry* e : catalog->tables(false)) {
    auto table = Table::open(db, e);
    EXPECT_TRUE(table);
    const TableDefinition& t = table->definition();
    for (const ColumnDef& c : t.columns) seen.types.insert(c.typeCode);
    for (const ColumnDef& c : t.columns) seen.sizedLongValues += isLongValue(c.type) && c.length;
    for (const LogicalIndexDef& l : t.logicalIndexes) seen.primary |= l.primaryKey();
    for (const RealIndexDef& r : t.realIndexes) {
      seen.unique |= r.unique();
      seen.ignoresNulls |= r.ignoreNulls();
      seen.compound |= r.columns.size() > 1;
      for (const IndexColumn& ic : r.columns) {
        seen.descending |= !ic.ascending;
        seen.text |= t.columnByNumber(ic.column)->type == ColumnType::kText;
      }
    }
    // Slots of the table's pages, and the form of each long value.
    auto map = UsageMapCursor::open(db.pages(), t.usageMap);
    EXPECT_TRUE(map);
    for (auto p = map->next(); p && *p; p = map->next()) {
      auto page = db.pages().read(**p);
      auto data = DataPage::decode((*page)->view(), **p);
      for (std::uint16_t r = 0; r < data->rowCount(); ++r) {
        auto slot = data->slot(r);
        if (slot->kind == SlotKind::kDeleted) ++seen.deleted;
        if (slot->kind == SlotKind::kMoved) ++seen.moved;
        if (slot->kind == SlotKind::kDeleted || slot->kind == SlotKind::kMoved) continue;
        std::vector<FieldBytes> fields;
        if (!splitRow(*data->rowBytes(r), t, **p, fields)) continue;
        for (std::size_t k = 0; k < t.columns.size(); ++k) {
          if (t.columns[k].type == ColumnType::kText && !fields[k].null) {
            const std::string_view s(reinterpret_cast<const char*>(fields[k].bytes.data()),
                                     fields[k].bytes.size());
            ++seen.texts;
            seen.oddBlanks += s.starts_with(' ') || s.find("  ") != s.npos;
            // One word with a capital (Clientes' cities aside, whose names are such).
            seen.capitalWords += e->name != "Clientes" && s.find(' ') == s.npos && !s.empty() &&
                                 s[0] >= 'A' && s[0] <= 'Z';
          }
          if (!isLongValue(t.columns[k].type) || fields[k].null) continue;
          if (auto ref = decodeLongValueRef(fields[k].bytes, **p)) {
            seen.longValueForms.insert(ref->form);
            seen.inlinePointers += ref->form == long_value::kInline && ref->pointer != 0;
          }
        }
      }
    }
  }
  return seen;
}

TEST(Generator, EveryTypeIndexKindFormAndRowFate) {
  TempDir dir;
  auto report = generateDatabase(dir / "g.mdb", {2, 5, DateTime{45000}});
  ASSERT_TRUE(report) << report.error().toString();
  EXPECT_GT(report->deleted, 0u);
  EXPECT_GT(report->moved, 0u);
  auto db = Database::open(dir / "g.mdb");
  ASSERT_TRUE(db);
  const Seen seen = survey(**db);
  for (ColumnType t : {ColumnType::kBool, ColumnType::kByte, ColumnType::kInt, ColumnType::kLong,
                       ColumnType::kMoney, ColumnType::kFloat, ColumnType::kDouble,
                       ColumnType::kDateTime, ColumnType::kBinary, ColumnType::kText,
                       ColumnType::kOle, ColumnType::kMemo, ColumnType::kGuid}) {
    EXPECT_TRUE(seen.types.count(static_cast<std::uint8_t>(t))) << columnTypeName(t);
  }
  EXPECT_TRUE(seen.primary && seen.unique && seen.compound && seen.descending && seen.text &&
              seen.ignoresNulls);
  EXPECT_EQ(seen.longValueForms, (std::set<std::uint8_t>{long_value::kInline, long_value::kOneRow,
                                                          long_value::kChained}));
  EXPECT_EQ(std::uint64_t(seen.deleted), report->deleted);
  EXPECT_EQ(std::uint64_t(seen.moved), report->moved);
  EXPECT_EQ(seen.inlinePointers, 0) << "an inline value's pointer is 0, as Access writes it";
  EXPECT_EQ(seen.sizedLongValues, 0) << "a memo or OLE column's length is 0, as Access writes it";
  // Texts are words of whole syllables, one blank between two, the first
  // word (a lone one too) begun with a capital now and then.
  EXPECT_GT(seen.texts, 100);
  EXPECT_EQ(seen.oddBlanks, 0);
  EXPECT_GT(seen.capitalWords, 0);
}

// The size aimed at is met within a tenth, and the limits are refused.
TEST(Generator, SizeNearTheOneAskedForAndLimits) {
  TempDir dir;
  ASSERT_TRUE(generateDatabase(dir / "ocho.mdb", {8, 1, DateTime{45000}}));
  const double mib = static_cast<double>(std::filesystem::file_size(dir / "ocho.mdb")) / (1 << 20);
  EXPECT_NEAR(mib, 8.0, 0.8);
  EXPECT_EQ(generateDatabase(dir / "cero.mdb", {0, 1, {}}).error().number(), errc::kInvalidArgument);
  EXPECT_EQ(generateDatabase(dir / "mucho.mdb", {1001, 1, {}}).error().number(), errc::kInvalidArgument);
  EXPECT_FALSE(std::filesystem::exists(dir / "cero.mdb"));
}

}  // namespace
}  // namespace jet
