// Splitting a row into its fields: rows the encoder writes, and rows built
// byte by byte where Access lays them out in ways the encoder does not.
#include <gtest/gtest.h>

#include "jet/format/row.h"
#include "jet/write/row_encoder.h"
#include "tests/support/byte_list.h"

namespace jet {
namespace {

using testing_support::bytes;

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

std::string text(const FieldBytes& f) { return std::string(f.bytes.chars()); }

// Rows the encoder writes split back into their values at every length up
// to past 512 bytes, across the jump table's steps (a variable column
// starting or ending exactly on one included), in a table whose columns,
// listed out of order, had gaps in their numbers before they were laid out;
// and with 40 Double columns more, whose 320 bytes put all the variable data
// past the first jump. (The corpus compaction holds the encoder to every row
// of every corpus file.)
TEST(SplitRow, EncodedRowsSplitBackAtEveryLength) {
  for (const std::size_t doubles : {std::size_t{0}, std::size_t{40}}) {
    SCOPED_TRACE(std::to_string(doubles) + " Double columns");
    TableDefinition source;
    source.columns = {column(7, ColumnType::kText, false, 0, 0, 255),
                      column(1, ColumnType::kLong, true, 0),
                      column(5, ColumnType::kBool, true, 0),
                      column(3, ColumnType::kBinary, false, 0, 0, 255)};
    for (std::size_t d = 0; d < doubles; ++d) {
      source.columns.push_back(column(std::uint16_t(9 + d), ColumnType::kDouble, true, 0));
    }
    auto table = layOutColumns(source);
    ASSERT_TRUE(table);
    RowEncoder encoder(*table);
    const auto noLongValues = [](std::size_t, std::span<const std::byte>) {
      return Result<std::vector<std::byte>>(Error(errc::kInvalidArgument));
    };
    for (std::size_t first = 0; first < 256; ++first) {
      for (std::size_t second : {std::size_t{0}, first, std::size_t{255}}) {
        SCOPED_TRACE(std::to_string(first) + " and " + std::to_string(second) + " bytes");
        std::vector<Value> values = {
            Text{std::string(first, 't')}, first % 5 == 0 ? Value{} : Value{std::int32_t(-7)},
            second % 2 == 0, Binary{std::vector<std::byte>(second, std::byte{0xB1})}};
        values.resize(values.size() + doubles, 2.5);
        std::vector<std::byte> row;
        ASSERT_TRUE(encoder.encode(values, noLongValues, row).ok());
        std::vector<FieldBytes> f;
        ASSERT_TRUE(splitRow(ByteView(row), *table, 9, f).ok());
        for (std::size_t i = 0; i < values.size(); ++i) {
          const ColumnDef& c = table->columns[i];
          if (c.type == ColumnType::kBool) {
            EXPECT_EQ(f[i].bit, values[i] == Value{true}) << c.number;
            continue;
          }
          ASSERT_EQ(f[i].null, isNull(values[i])) << c.number;
          std::vector<std::byte> want;
          ASSERT_TRUE(isNull(values[i]) || appendValueBytes(c, values[i], want).ok());
          const std::byte* got = f[i].bytes.data();
          EXPECT_EQ(want, std::vector<std::byte>(got, got + f[i].bytes.size())) << c.number;
        }
      }
    }
  }
}

TEST(SplitRow, UnusedTrailingJumpEntryIsIgnored) {
  TableDefinition t;
  t.varColumns = 1;
  t.columnsCreated = 2;
  t.columns = {column(0, ColumnType::kBinary, true, 0, 0, 252),
               column(1, ColumnType::kText, false, 0)};
  std::vector<std::byte> row = bytes({2});
  row.insert(row.end(), 252, std::byte{0x11});
  const auto tail = bytes({'h', 'i', 255, 253, /*unused jump*/ 0xFF, /*count*/ 1, /*mask*/ 0x03});
  row.insert(row.end(), tail.begin(), tail.end());
  ASSERT_EQ(row.size(), 260u);
  std::vector<FieldBytes> f;
  ASSERT_TRUE(splitRow(ByteView(row), t, 9, f));
  EXPECT_EQ(f[0].bytes.size(), 252u);
  EXPECT_EQ(text(f[1]), "hi");
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
  // The end of the data before the text, or past the row; nine variable
  // columns in a ten-byte row; a null mask longer than the row.
  for (const auto& [offset, value] : {std::pair{6, 4}, {6, 200}, {8, 9}, {0, 200}}) {
    std::vector<std::byte> r = good;
    r[offset] = std::byte(value);
    EXPECT_TRUE(fails(r)) << "byte " << offset << " = " << value;
  }
  // The fixed Long at offset 3 would overlap the variable part.
  t.columns[0].fixedOffset = 3;
  EXPECT_TRUE(fails(good));
}

}  // namespace
}  // namespace jet
