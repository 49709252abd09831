#include "jet/rebuild/compact_error_table.h"

#include "jet/model/text.h"
#include "jet/salvage/salvage_source.h"

namespace jet {
namespace {

// The row pointer of a page alone: no row has number 0xFF.
constexpr std::uint32_t kWholePage = 0xFF;
constexpr std::uint16_t kTextLength = 255;

ColumnDef columnOf(const char* name, ColumnType type, std::uint16_t length, bool fixed,
                   const HeaderPage& header) {
  ColumnDef c;
  c.name = name;
  c.type = type;
  c.typeCode = static_cast<std::uint8_t>(type);
  c.length = length;
  c.flags = column_block::kNullableFlag | (fixed ? column_block::kFixedFlag : 0);
  c.sortOrder = header.sortOrder;
  c.codePage = header.codePage;
  return c;
}

Value place(const Finding& f) {
  if (f.page < 0) return Value{};
  const std::uint32_t pointer = static_cast<std::uint32_t>(f.page) << 8 |
                                (f.row >= 0 ? static_cast<std::uint32_t>(f.row) & 0xFF : kWholePage);
  std::vector<std::byte> bytes(4);
  for (int i = 0; i < 4; ++i) bytes[i] = std::byte((pointer >> (8 * i)) & 0xFF);
  return Binary{std::move(bytes)};
}

}  // namespace

SourceTable compactErrorTable(std::int32_t id, const HeaderPage& header) {
  SourceTable t;
  t.name = std::string(kCompactErrorTable);
  t.sourceId = id;
  TableDefinition& d = t.definition;
  d.tableType = tdef::kUserTable;
  d.columns = {
      columnOf("ErrorCode", ColumnType::kLong, 4, true, header),
      columnOf("ErrorDescription", ColumnType::kMemo, 0, false, header),
      columnOf("ErrorRecid", ColumnType::kBinary, kTextLength, false, header),
      columnOf("ErrorTable", ColumnType::kText, kTextLength, false, header),
  };
  for (std::uint16_t i = 0; i < d.columns.size(); ++i) d.columns[i].number = i;
  d.columnsCreated = static_cast<std::uint16_t>(d.columns.size());
  d.varColumns = 3;
  return t;
}

std::vector<std::vector<Value>> compactErrorRows(const ProblemList& problems, int codePage) {
  std::vector<std::vector<Value>> rows;
  rows.reserve(problems.problems().size() + 1);
  for (const Problem& p : problems.problems()) {
    Finding where = p.where;
    const std::string table = where.table;
    where.table.clear();  // ErrorTable holds it
    Value tableValue;
    if (!table.empty()) tableValue = Text{fromUtf8(table, codePage).substr(0, kTextLength)};
    rows.push_back({std::int32_t{p.code}, Text{fromUtf8(where.toString(), codePage)},
                    place(p.where), std::move(tableValue)});
  }
  if (problems.dropped() > 0) {
    rows.push_back({std::int32_t{errc::kCorrupt},
                    Text{fromUtf8("y " + std::to_string(problems.dropped()) +
                                      " problemas más, que no se detallan",
                                  codePage)},
                    Value{}, Value{}});
  }
  return rows;
}

}  // namespace jet
