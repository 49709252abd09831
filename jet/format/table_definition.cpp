#include "jet/format/table_definition.h"

#include <algorithm>
#include <set>
#include <string>

namespace jet {
namespace {

// Reads consecutive fields of a definition; the first read past the end makes
// every later read fail too, and ok() reports it.
class FieldReader {
 public:
  FieldReader(ByteView bytes, std::size_t pos) : bytes_(bytes), pos_(pos) {}
  std::size_t pos() const { return pos_; }
  bool ok() const { return ok_; }
  std::optional<ByteView> take(std::size_t n) {
    auto v = ok_ ? bytes_.sub(pos_, n) : std::nullopt;
    if (!v) ok_ = false;
    else pos_ += n;
    return v;
  }
  // A name: 1-byte length, then the bytes.
  std::string name() {
    auto len = take(1);
    if (!len) return {};
    auto text = take(*len->u8(0));
    return text ? std::string(text->chars()) : std::string();
  }

 private:
  ByteView bytes_;
  std::size_t pos_;
  bool ok_ = true;
};

Error truncated(std::uint32_t page) {
  return Error::corrupt(page, "la definición de tabla está incompleta");
}

ColumnDef decodeColumn(ByteView b) {
  using namespace column_block;
  ColumnDef c;
  c.typeCode = *b.u8(kType);
  c.type = static_cast<ColumnType>(c.typeCode);
  c.number = *b.u16(kNumber);
  c.varIndex = *b.u16(kVarIndex);
  c.sortOrder = *b.u16(kSortOrder);
  c.codePage = *b.u16(kCodePage);
  c.flags = *b.u8(kFlags);
  c.fixedOffset = *b.u16(kFixedOffset);
  c.length = *b.u16(kLength);
  c.number2 = *b.u16(kUnknown5);
  c.misc = *b.u16(kUnknown7);
  return c;
}

RealIndexDef decodeRealIndex(ByteView b, std::uint32_t position) {
  using namespace real_index_block;
  RealIndexDef r;
  r.position = position;
  for (std::size_t i = 0; i < kColumnSlots; ++i) {
    std::uint16_t column = *b.u16(kColumns + i * kColumnSlotSize);
    if (column == kNoColumn) continue;
    std::uint8_t order = *b.u8(kColumns + i * kColumnSlotSize + 2);
    r.columns.push_back({column, order == kAscending});
  }
  r.usageMap = *b.u32(kUsageMap);
  r.firstPage = *b.u32(kFirstPage);
  r.flags = *b.u8(kFlags);
  return r;
}

LogicalIndexDef decodeLogicalIndex(ByteView b) {
  using namespace logical_index_block;
  LogicalIndexDef l;
  l.number = *b.u32(kNumber);
  l.realIndex = *b.u32(kRealIndex);
  l.relTableType = *b.u8(kRelTableType);
  l.relIndex = *b.i32(kRelIndex);
  l.relTablePage = *b.u32(kRelTablePage);
  l.cascadeUpdates = *b.u8(kCascadeUpdates);
  l.cascadeDeletes = *b.u8(kCascadeDeletes);
  l.kind = *b.u8(kKind);
  return l;
}

}  // namespace

const ColumnDef* TableDefinition::columnByNumber(std::uint16_t number) const {
  for (const ColumnDef& c : columns) {
    if (c.number == number) return &c;
  }
  return nullptr;
}

std::optional<std::size_t> TableDefinition::primaryKeyIndex() const {
  for (const LogicalIndexDef& l : logicalIndexes) {
    if (l.primaryKey() && l.realIndex < realIndexes.size()) return l.realIndex;
  }
  return std::nullopt;
}

Result<TableDefinition> decodeTableDefinition(ByteView bytes, std::uint32_t page) {
  using namespace tdef;
  if (bytes.size() < kIndexStats || bytes.u8(0) != kPageType) {
    return Error::corrupt(page, "no es una definición de tabla");
  }
  TableDefinition t;
  t.page = page;
  t.rowCount = *bytes.u32(kRowCount);
  t.autoNumber = *bytes.u32(kAutoNumber);
  t.tableType = *bytes.u8(kTableType);
  t.columnsCreated = *bytes.u16(kColumnsCreated);
  t.varColumns = *bytes.u16(kVarColumns);
  const std::uint16_t columnCount = *bytes.u16(kColumnCount);
  const std::uint32_t logicalCount = *bytes.u32(kLogicalIndexCount);
  const std::uint32_t realCount = *bytes.u32(kRealIndexCount);
  t.usageMap = *bytes.u32(kUsageMap);
  t.freeMap = *bytes.u32(kFreeMap);
  // Both counts at 0x15 and 0x17 keep deleted columns (docs/format.md): a
  // table with a deleted variable column has more variable columns than
  // columns, never more than it ever had. No table is without columns:
  // Jet refuses to make one.
  if (columnCount == 0 || columnCount > kColumnLimit || t.varColumns > t.columnsCreated ||
      columnCount > t.columnsCreated) {
    return Error::corrupt(page, "número de columnas imposible");
  }
  if (realCount > kIndexLimit || logicalCount > kIndexLimit) {
    return Error::corrupt(page, "número de índices imposible");
  }

  FieldReader r(bytes, kIndexStats);
  std::vector<std::pair<std::uint32_t, std::uint32_t>> stats;
  for (std::uint32_t i = 0; i < realCount; ++i) {
    auto s = r.take(kIndexStatsSize);
    if (!s) return truncated(page);
    stats.emplace_back(*s->u32(0), *s->u32(4));
  }
  std::set<std::uint16_t> numbers;
  for (std::uint16_t i = 0; i < columnCount; ++i) {
    auto b = r.take(column_block::kSize);
    if (!b) return truncated(page);
    ColumnDef c = decodeColumn(*b);
    if (c.number >= t.columnsCreated || !numbers.insert(c.number).second) {
      return Error::corrupt(page, "número de columna repetido o fuera de rango");
    }
    // Jet 3 rows are at most 2 KB: fixed data must lie inside that.
    if (c.isFixed() && std::size_t{c.fixedOffset} + c.fixedDataSize() > kPageSize) {
      return Error::corrupt(page, "columna fija fuera de la fila");
    }
    t.columns.push_back(c);
  }
  for (ColumnDef& c : t.columns) {
    c.name = r.name();
    if (!r.ok()) return truncated(page);
  }
  for (std::uint32_t i = 0; i < realCount; ++i) {
    auto b = r.take(real_index_block::kSize);
    if (!b) return truncated(page);
    RealIndexDef x = decodeRealIndex(*b, i);
    x.statEntries = stats[i].first;
    x.statDistinct = stats[i].second;
    t.realIndexes.push_back(std::move(x));
  }
  for (std::uint32_t i = 0; i < logicalCount; ++i) {
    auto b = r.take(logical_index_block::kSize);
    if (!b) return truncated(page);
    LogicalIndexDef l = decodeLogicalIndex(*b);
    if (l.realIndex >= realCount) {
      return Error::corrupt(page, "un índice lógico apunta a un índice real inexistente");
    }
    t.logicalIndexes.push_back(l);
  }
  for (LogicalIndexDef& l : t.logicalIndexes) {
    l.name = r.name();
    if (!r.ok()) return truncated(page);
  }
  // The long-value maps: at most one block per column, then the end block.
  // A list cut short is left out rather than failing the definition.
  std::vector<LongValueMaps> maps;
  for (std::size_t i = 0; i <= columnCount; ++i) {
    auto b = r.take(long_value_maps_block::kSize);
    if (!b) break;
    const std::uint16_t column = *b->u16(long_value_maps_block::kColumn);
    if (column == long_value_maps_block::kEnd) {
      t.longValueMaps = std::move(maps);
      break;
    }
    maps.push_back({column, *b->u32(long_value_maps_block::kUsageMap),
                    *b->u32(long_value_maps_block::kFreeMap)});
  }
  return t;
}

Result<TableDefinition> readTableDefinition(const PageSource& pages, std::uint32_t page) {
  std::vector<std::byte> bytes;
  std::vector<std::uint32_t> chain;
  std::set<std::uint32_t> seen;
  for (std::uint32_t n = page; n != 0;) {
    if (chain.size() == tdef::kMaxPages) {
      return Error::corrupt(page, "la definición de tabla ocupa demasiadas páginas");
    }
    if (!seen.insert(n).second) {
      return Error::corrupt(n, "la cadena de páginas de la definición de tabla forma un bucle");
    }
    JET_TRY(PageRef p, pages.read(n));
    if (p->type() != tdef::kPageType) {
      return Error::corrupt(n, "no es una página de definición de tabla");
    }
    const auto from = chain.empty() ? p->bytes.begin() : p->bytes.begin() + tdef::kPageHeaderSize;
    bytes.insert(bytes.end(), from, p->bytes.end());
    chain.push_back(n);
    n = *p->view().u32(tdef::kNextPage);
  }
  JET_TRY(TableDefinition t, decodeTableDefinition(ByteView(bytes), page));
  t.pages = std::move(chain);
  return t;
}

}  // namespace jet
