// Splitting a row into its fields: rows built byte by byte.
#include <gtest/gtest.h>

#include "jet/format/row.h"

namespace jet {
namespace {

ColumnDef column(std::uint16_t number, ColumnType type, bool fixed, std::uint16_t varIndex,
                 std::uint16_t fixedOffset = 0, std::uint16_t length = 0) {
  ColumnDef c;
  c.number = number;
  c.typeCode = static_cast<std::uint8_t>(type);
  c.type = type;
  c.flags = fixed ? column_block::kFixedFlag : 0;
  c.varIndex = varIndex;
  c.fixedOffset = fixedOffset;
  c.length = length;
  return c;
}

std::vector<std::byte> bytes(std::initializer_list<int> list) {
  std::vector<std::byte> v;
  for (int b : list) v.push_back(std::byte(b));
  return v;
}

std::string text(const FieldBytes& f) { return std::string(f.bytes.chars()); }

TEST(SplitRow, JumpTableForVariableDataPast256Bytes) {
  TableDefinition t;
  t.varColumns = 2;
  t.columnsCreated = 2;
  t.columns = {column(0, ColumnType::kText, false, 0), column(1, ColumnType::kText, false, 1)};
  // [n=2] [300 x 'a'] [5 x 'b'] eod=306 | offsets backwards | jump | count | mask
  std::vector<std::byte> row = bytes({2});
  row.insert(row.end(), 300, std::byte('a'));
  row.insert(row.end(), 5, std::byte('b'));
  for (int b : {50, 45, 1, /*jump*/ 1, /*count*/ 2, /*mask*/ 0x03}) row.push_back(std::byte(b));
  ASSERT_EQ(row.size(), 312u);
  std::vector<FieldBytes> f;
  ASSERT_TRUE(splitRow(ByteView(row), t, 9, f));
  EXPECT_EQ(text(f[0]), std::string(300, 'a'));
  EXPECT_EQ(text(f[1]), "bbbbb");
}

TEST(SplitRow, UnusedTrailingJumpEntryIsIgnored) {
  TableDefinition t;
  t.varColumns = 1;
  t.columnsCreated = 2;
  t.columns = {column(0, ColumnType::kBinary, true, 0, 0, 252),
               column(1, ColumnType::kText, false, 0)};
  std::vector<std::byte> row = bytes({2});
  row.insert(row.end(), 252, std::byte{0x11});
  row.insert(row.end(), {std::byte('h'), std::byte('i')});
  for (int b : {255, 253, /*unused jump*/ 0xFF, /*count*/ 1, /*mask*/ 0x03}) {
    row.push_back(std::byte(b));
  }
  ASSERT_EQ(row.size(), 260u);
  std::vector<FieldBytes> f;
  ASSERT_TRUE(splitRow(ByteView(row), t, 9, f));
  EXPECT_EQ(f[0].bytes.size(), 252u);
  EXPECT_EQ(text(f[1]), "hi");
}

TEST(SplitRow, NullsYesNoAndColumnsAddedLater) {
  TableDefinition t;
  t.varColumns = 2;
  t.columnsCreated = 5;
  t.columns = {column(0, ColumnType::kLong, true, 0, 0), column(1, ColumnType::kBool, true, 0),
               column(2, ColumnType::kText, false, 0), column(3, ColumnType::kText, false, 1),
               column(4, ColumnType::kInt, true, 0, 4)};
  // Written when the table had columns 0-2: n = 3, one variable column.
  // Long = 7, Yes/No = yes, text "ok".
  std::vector<std::byte> row = bytes({3, 7, 0, 0, 0, 'o', 'k', /*eod*/ 7, /*off0*/ 5,
                                      /*count*/ 1, /*mask*/ 0x07});
  std::vector<FieldBytes> f;
  ASSERT_TRUE(splitRow(ByteView(row), t, 9, f));
  EXPECT_FALSE(f[0].null);
  EXPECT_EQ(f[0].bytes.size(), 4u);
  EXPECT_FALSE(f[1].null);
  EXPECT_TRUE(f[1].bit);
  EXPECT_EQ(text(f[2]), "ok");
  EXPECT_TRUE(f[3].null);  // variable index 1 >= the row's one variable column
  EXPECT_TRUE(f[4].null);  // number 4 >= n
  // Mask bit 0 clear: the Long is null; bit 1 clear: Yes/No is "no", not null.
  row.back() = std::byte{0x04};
  ASSERT_TRUE(splitRow(ByteView(row), t, 9, f));
  EXPECT_TRUE(f[0].null);
  EXPECT_FALSE(f[1].null);
  EXPECT_FALSE(f[1].bit);
}

TEST(SplitRow, DamagedLayoutsAreErrorsNamingThePage) {
  TableDefinition t;
  t.varColumns = 1;
  t.columnsCreated = 2;
  t.columns = {column(0, ColumnType::kLong, true, 0, 0), column(1, ColumnType::kText, false, 0)};
  const std::vector<std::byte> good = bytes({2, 1, 0, 0, 0, 'x', 6, 5, 1, 0x03});
  std::vector<FieldBytes> f;
  ASSERT_TRUE(splitRow(ByteView(good), t, 9, f));
  auto fails = [&](std::vector<std::byte> row) {
    Status s = splitRow(ByteView(row), t, 9, f);
    return !s && s.error().number() == errc::kCorrupt &&
           s.error().description().find("página 9") != std::string::npos;
  };
  EXPECT_TRUE(fails({}));
  auto r = good;
  r[6] = std::byte{4};  // eod before the start of the text
  EXPECT_TRUE(fails(r));
  r = good;
  r[6] = std::byte{200};  // eod past the row
  EXPECT_TRUE(fails(r));
  r = good;
  r[8] = std::byte{9};  // nine variable columns in a ten-byte row
  EXPECT_TRUE(fails(r));
  r = good;
  r[0] = std::byte{200};  // a null mask longer than the row
  EXPECT_TRUE(fails(r));
  // The fixed Long at offset 3 would overlap the variable part.
  t.columns[0].fixedOffset = 3;
  EXPECT_TRUE(fails(good));
}

}  // namespace
}  // namespace jet
