// What writers start from, as Access writes it: the system tables of a new
// database (that a new file checks clean and reads for mdbtools:
// command_line_test.cpp, generate_command_test.cpp), Access 97's default
// header page, and a source's header carried over with its settings changed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "jet/format/header_page.h"
#include "jet/io/page_source.h"
#include "jet/model/catalog.h"
#include "jet/model/table.h"
#include "jet/salvage/header_salvage.h"
#include "jet/write/new_database.h"
#include "tests/support/corpus.h"
#include "tests/support/damage.h"
#include "tests/support/open_table.h"

namespace jet {
namespace {

using namespace testing_support;

const DateTime kCreated{40000.5};

// The parts of a definition that do not depend on where it was written.
std::string shape(const TableDefinition& t) {
  std::string s = std::to_string(t.tableType) + "|" + std::to_string(t.varColumns) + "|";
  for (const ColumnDef& c : t.columns) {
    s += c.name + ":" + std::to_string(c.typeCode) + ":" + std::to_string(c.flags) + ":" +
         std::to_string(c.length) + ":" + std::to_string(c.number) + ":" +
         std::to_string(c.number2) + ",";
  }
  for (const RealIndexDef& r : t.realIndexes) {
    s += 'R' + std::to_string(r.flags);
    for (const IndexColumn& c : r.columns) s += ':' + std::to_string(c.column) + (c.ascending ? 'a' : 'd');
  }
  for (const LogicalIndexDef& l : t.logicalIndexes) {
    s += "L" + l.name + ":" + std::to_string(l.kind) + ":" + std::to_string(l.realIndex) + ":" +
         std::to_string(l.number);
  }
  return s;
}

TEST(NewDatabase, SystemTablesAsAccessCreatesThem) {
  REQUIRE_CORPUS();
  TempDir dir;
  ASSERT_TRUE(createDatabase(dir / "nueva.mdb", kCreated));
  auto ours = Database::open(dir / "nueva.mdb");
  auto theirs = Database::open(corpusFile("delTestV1997.mdb"));
  ASSERT_TRUE(ours && theirs);
  auto a = Catalog::read(**ours);
  auto b = Catalog::read(**theirs);
  ASSERT_TRUE(a && b);
  // Every system table of an Access file, defined as there, and no other.
  std::vector<std::string> names;
  for (const CatalogEntry* e : a->tables(true)) {
    names.push_back(e->name);
    auto mine = Table::open(**ours, e);
    auto access = Table::open(**theirs, b->findTable(e->name));
    ASSERT_TRUE(mine && access) << e->name;
    EXPECT_EQ(shape(mine->definition()), shape(access->definition())) << e->name;
    EXPECT_EQ(e->tablePage(), mine->definition().page);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"MSysObjects", "MSysACEs", "MSysQueries",
                                             "MSysRelationships", "MSysModules2", "MSysModules"}));
  EXPECT_FALSE(newDatabaseSource(kCreated)->rows(names.size())) << "a table past the list";
  // The same system objects with the same flags and owners; dated now.
  std::map<std::string, const CatalogEntry*> access;
  for (const CatalogEntry& e : b->entries()) access[e.name] = &e;
  for (const CatalogEntry& e : a->entries()) {
    SCOPED_TRACE(e.name);
    ASSERT_TRUE(access.count(e.name));
    const CatalogEntry& x = *access[e.name];
    EXPECT_EQ(std::tie(e.type, e.flags, e.parentId), std::tie(x.type, x.flags, x.parentId));
    EXPECT_EQ(e.isTable() ? x.id : e.id, x.id);  // a table's id is its page
    EXPECT_EQ(e.created.value_or(DateTime{}).days, kCreated.days);
    EXPECT_EQ(e.name == "SummaryInfo" ? x.properties : e.properties, x.properties);
  }
  EXPECT_EQ(a->entries().size(), b->entries().size() - 1);  // all but the user table
}

// A user table's three permission entries, as Access writes them.
TEST(NewDatabase, UserTablePermissionsFollowAccess) {
  REQUIRE_CORPUS();
  auto aces = userTableAces(1234);
  ASSERT_EQ(aces.size(), 3u);
  const OpenedTable table = openTable(readFile(corpusFile("delTestV1997.mdb")), "MSysACEs");
  ASSERT_TRUE(table) << table.error;
  std::vector<std::vector<Value>> access;  // those of the user table "Table", page 29
  RowCursor rows = table.table->rows();
  while (*rows.next()) if (rows.values()[0] == Value{std::int32_t{29}}) access.push_back(rows.values());
  ASSERT_EQ(access.size(), 3u);
  for (auto& row : access) row[0] = std::int32_t{1234};
  EXPECT_TRUE(std::is_permutation(aces.begin(), aces.end(), access.begin(), access.end()));
}

std::vector<std::byte> firstPage(const std::filesystem::path& file) {
  std::string bytes = readFile(file).substr(0, kPageSize);
  const auto* p = reinterpret_cast<const std::byte*>(bytes.data());
  return {p, p + bytes.size()};
}

// Every corpus header equals the default one but for the bytes at 0x600 and
// 0x602 (outside the masked block), which Access varies from file to file.
TEST(HeaderPageWriter, DefaultPageIsTheOneAccessWrites) {
  REQUIRE_CORPUS();
  std::vector<std::byte> ours = defaultHeaderPage();
  for (const auto& file : corpusFiles()) {
    std::vector<std::byte> theirs = firstPage(file);
    for (std::size_t i = 0; i < kPageSize; ++i) {
      if (i == 0x600 || i == 0x602) continue;
      ASSERT_EQ(ours[i], theirs[i]) << file.filename() << " byte " << i;
    }
  }
}

// Writing a header's own settings back gives the page as it was; changed
// settings read back changed, and nothing else moves.
TEST(HeaderPageWriter, CarriesASourceHeaderOver) {
  REQUIRE_CORPUS();
  std::vector<std::byte> stored = firstPage(corpusFile("testV1997.mdb"));
  auto header = decodeHeaderPage(ByteView(stored), "test");
  ASSERT_TRUE(header);
  EXPECT_EQ(encodeHeaderPage(*header, stored).valueOr({}), stored);

  HeaderPage changed = *header;
  changed.databaseKey = 0x12345678;
  changed.codePage = 932;
  changed.created = DateTime{36000.25};
  auto encoded = encodeHeaderPage(changed, stored);
  ASSERT_TRUE(encoded);
  auto back = decodeHeaderPage(ByteView(*encoded), "test");
  ASSERT_TRUE(back);
  EXPECT_EQ(std::tuple(back->databaseKey, back->codePage, back->sortOrder, back->created),
            std::tuple(0x12345678u, 932, header->sortOrder, std::optional(DateTime{36000.25})));
  std::size_t differing = 0;
  for (std::size_t i = 0; i < kPageSize; ++i) differing += (*encoded)[i] != stored[i];
  EXPECT_LE(differing, 2u + 4u + 8u);  // code page, key, date
  // The salvage keeps a creation date that is one and drops one that is not.
  for (const double days : {36000.25, std::nan("")}) {
    changed.created = DateTime{days};
    auto page = encodeHeaderPage(changed, stored);
    ASSERT_TRUE(page);
    MemoryBytes bytes(std::string(reinterpret_cast<const char*>(page->data()), page->size()));
    ProblemList problems;
    auto salvaged = salvageHeader(bytes, problems, {});
    ASSERT_TRUE(salvaged);
    EXPECT_EQ(salvaged->created.has_value(), problems.empty()) << days;
    EXPECT_EQ(problems.empty(), days == 36000.25);
  }

  EXPECT_FALSE(encodeHeaderPage(changed, std::span(stored).first(100)));
}

// With page 0 lost, the text settings are those most text columns carry:
// one column of another code page does not outvote the rest.
TEST(NewDatabase, ALostHeaderTakesTheTextSettingsOfMostColumns) {
  REQUIRE_CORPUS();
  std::string image = readFile(corpusFile("testV1997.mdb"));
  const OpenedTable table = openTable(image, "Table1");
  ASSERT_TRUE(table) << table.error;
  const TableDefinition& def = table.table->definition();
  std::size_t text = 0;
  while (text < def.columns.size() && def.columns[text].type != ColumnType::kText) ++text;
  ASSERT_LT(text, def.columns.size());
  ASSERT_EQ(def.columns[text].codePage, 1252);
  setU16(image, std::size_t{def.page} * kPageSize + tdef::kIndexStats + 8 * def.realIndexes.size() +
                    column_block::kSize * text + column_block::kCodePage, 1250);
  std::fill_n(image.begin(), kPageSize, '\0');
  MemoryBytes bytes(image);
  ProblemList problems;
  auto salvaged = salvageHeader(bytes, problems, {});
  ASSERT_TRUE(salvaged);
  EXPECT_EQ(salvaged->codePage, 1252);
}

}  // namespace
}  // namespace jet
