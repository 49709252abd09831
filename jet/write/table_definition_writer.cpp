#include "jet/write/table_definition_writer.h"

#include <algorithm>
#include <array>

#include "jet/core/byte_view.h"
#include "jet/io/page_source.h"

namespace jet {
namespace {

// Appends `size` zero bytes and returns a writer over them.
ByteWriter grow(std::vector<std::byte>& out, std::size_t size) {
  const std::size_t at = out.size();
  out.resize(at + size, std::byte{0});
  return ByteWriter(std::span<std::byte>(out).subspan(at));
}

void appendName(std::vector<std::byte>& out, const std::string& name) {
  const std::size_t n = std::min<std::size_t>(name.size(), 0xFF);
  out.push_back(std::byte(n));
  const auto* p = reinterpret_cast<const std::byte*>(name.data());
  out.insert(out.end(), p, p + n);
}

}  // namespace

std::vector<std::byte> encodeTableDefinition(const TableDefinition& t) {
  std::vector<std::byte> out;
  ByteWriter h = grow(out, tdef::kIndexStats);
  h.u8(0, tdef::kPageType);
  h.u8(1, 0x01);
  h.u16(tdef::kMark, tdef::kMarkValue);
  h.u32(tdef::kRowCount, t.rowCount);
  h.u32(tdef::kAutoNumber, t.autoNumber);
  h.u8(tdef::kTableType, t.tableType);
  h.u16(tdef::kColumnsCreated, t.columnsCreated);
  h.u16(tdef::kVarColumns, t.varColumns);
  h.u16(tdef::kColumnCount, static_cast<std::uint16_t>(t.columns.size()));
  h.u32(tdef::kLogicalIndexCount, static_cast<std::uint32_t>(t.logicalIndexes.size()));
  h.u32(tdef::kRealIndexCount, static_cast<std::uint32_t>(t.realIndexes.size()));
  h.u32(tdef::kUsageMap, t.usageMap);
  h.u32(tdef::kFreeMap, t.freeMap);
  for (const RealIndexDef& r : t.realIndexes) {
    ByteWriter w = grow(out, tdef::kIndexStatsSize);
    w.u32(0, r.statEntries);
    w.u32(4, r.statDistinct);
  }
  for (const ColumnDef& c : t.columns) {
    using namespace column_block;
    ByteWriter w = grow(out, kSize);
    w.u8(kType, c.typeCode);
    w.u16(kNumber, c.number);
    w.u16(kVarIndex, c.varIndex);
    w.u16(kUnknown5, c.number2);
    w.u16(kUnknown7, c.misc);
    w.u16(kSortOrder, c.sortOrder);
    w.u16(kCodePage, c.codePage);
    w.u8(kFlags, c.flags);
    w.u16(kFixedOffset, c.fixedOffset);
    w.u16(kLength, c.length);
  }
  for (const ColumnDef& c : t.columns) appendName(out, c.name);
  for (const RealIndexDef& r : t.realIndexes) {
    using namespace real_index_block;
    ByteWriter w = grow(out, kSize);
    for (std::size_t i = 0; i < kColumnSlots; ++i) {
      const std::size_t at = kColumns + i * kColumnSlotSize;
      if (i < r.columns.size()) {
        w.u16(at, r.columns[i].column);
        // A descending column is 0x00, as Access writes it.
        w.u8(at + 2, r.columns[i].ascending ? kAscending : 0x00);
      } else {
        w.u16(at, kNoColumn);
      }
    }
    w.u32(kUsageMap, r.usageMap);
    w.u32(kFirstPage, r.firstPage);
    w.u8(kFlags, r.flags);
  }
  for (const LogicalIndexDef& l : t.logicalIndexes) {
    using namespace logical_index_block;
    ByteWriter w = grow(out, kSize);
    w.u32(kNumber, l.number);
    w.u32(kRealIndex, l.realIndex);
    w.u8(kRelTableType, l.relTableType);
    w.i32(kRelIndex, l.relIndex);
    w.u32(kRelTablePage, l.relTablePage);
    w.u8(kCascadeUpdates, l.cascadeUpdates);
    w.u8(kCascadeDeletes, l.cascadeDeletes);
    w.u8(kKind, l.kind);
  }
  for (const LogicalIndexDef& l : t.logicalIndexes) appendName(out, l.name);
  std::vector<LongValueMaps> maps = t.longValueMaps;
  std::sort(maps.begin(), maps.end(),
            [](const LongValueMaps& a, const LongValueMaps& b) { return a.column < b.column; });
  for (const LongValueMaps& m : maps) {
    using namespace long_value_maps_block;
    ByteWriter w = grow(out, kSize);
    w.u16(kColumn, m.column);
    w.u32(kUsageMap, m.usageMap);
    w.u32(kFreeMap, m.freeMap);
  }
  grow(out, long_value_maps_block::kSize).u16(long_value_maps_block::kColumn,
                                               long_value_maps_block::kEnd);
  ByteWriter(out).u32(tdef::kLength, static_cast<std::uint32_t>(out.size() - tdef::kPageHeaderSize));
  return out;
}

std::size_t tableDefinitionPageCount(std::size_t size) {
  const std::size_t more = kPageSize - tdef::kPageHeaderSize;
  return size <= kPageSize ? 1 : 1 + (size - kPageSize + more - 1) / more;
}

Status writeTableDefinition(std::span<const std::byte> bytes,
                            std::span<const std::uint32_t> pages, PageOutput& out) {
  if (pages.size() != tableDefinitionPageCount(bytes.size())) return Error(errc::kInvalidArgument);
  std::array<std::byte, kPageSize> page{};
  std::size_t at = 0;
  for (std::size_t i = 0; i < pages.size(); ++i) {
    page.fill(std::byte{0});
    std::size_t from = 0;
    if (i > 0) {
      ByteWriter w(page);
      w.u8(0, tdef::kPageType);
      w.u8(1, 0x01);
      w.u16(tdef::kMark, tdef::kMarkValue);
      from = tdef::kPageHeaderSize;
    }
    const std::size_t n = std::min(bytes.size() - at, kPageSize - from);
    std::copy(bytes.begin() + static_cast<std::ptrdiff_t>(at),
              bytes.begin() + static_cast<std::ptrdiff_t>(at + n), page.begin() + static_cast<std::ptrdiff_t>(from));
    at += n;
    ByteWriter(page).u32(tdef::kNextPage, i + 1 < pages.size() ? pages[i + 1] : 0);
    JET_CHECK(out.write(pages[i], page));
  }
  return okStatus();
}

}  // namespace jet
