#include "jet/write/table_writer.h"

#include <algorithm>

#include "jet/format/data_page.h"
#include "jet/format/index_page.h"
#include "jet/format/usage_map.h"
#include "jet/index/index_key.h"
#include "jet/write/index_tree_builder.h"
#include "jet/write/table_definition_writer.h"
#include "jet/write/usage_map_writer.h"

namespace jet {
namespace {

bool isLongValueColumn(const ColumnDef& c) {
  return isKnownColumnType(c.typeCode) && isLongValue(c.type);
}

// The definition as it will be written, for its size: one long-value map
// block per Memo or OLE column.
TableDefinition withLongValueMaps(TableDefinition t) {
  t.longValueMaps.clear();
  for (const ColumnDef& c : t.columns) {
    if (isLongValueColumn(c)) t.longValueMaps.push_back({c.number, 0, 0});
  }
  return t;
}

}  // namespace

std::size_t TableWriter::mapRowCount(const TableDefinition& t) {
  std::size_t lv = 0;
  for (const ColumnDef& c : t.columns) lv += isLongValueColumn(c) ? 1 : 0;
  return 2 + 2 * lv + t.realIndexes.size();
}

std::size_t TableWriter::definitionPages(const TableDefinition& table) {
  return tableDefinitionPageCount(encodeTableDefinition(withLongValueMaps(table)).size());
}

TableWriter::TableWriter(PageOutput& out, TableDefinition table,
                         std::vector<std::uint32_t> tdefPages, UsageMapArea& maps,
                         std::vector<std::uint32_t> mapRows,
                         const ScratchSpace& scratch, std::size_t sortMemory)
    : out_(&out), table_(withLongValueMaps(std::move(table))), tdefPages_(std::move(tdefPages)),
      encoder_(table_), longValues_(out), scratch_(scratch), sortMemory_(sortMemory),
      maps_(&maps),
      mapRows_(std::move(mapRows)), data_(table_.page), bodies_(table_.page),
      autoNumberColumn_(table_.columns.size()) {
  minimumRow_ = encoder_.minimumRowSize();
  for (std::size_t i = 0; i < table_.columns.size(); ++i) {
    const ColumnDef& c = table_.columns[i];
    if (c.isAutoNumber() && c.typeCode == static_cast<std::uint8_t>(ColumnType::kLong)) {
      autoNumberColumn_ = i;
      break;
    }
  }
}

Status TableWriter::begin() {
  for (const RealIndexDef& r : table_.realIndexes) {
    auto shape = indexShape(table_, r);
    if (!shape) return shape.error();
    anyCarried_ = anyCarried_ || shape->carried;
    shapes_.emplace_back(std::move(*shape));
  }
  // The indexes share the sort memory.
  for (std::size_t r = 0; r < shapes_.size(); ++r) {
    entries_.emplace_back(scratch_, sortMemory_ / shapes_.size());
  }
  if (mapRows_.size() != mapRowCount(table_)) return Error(errc::kInvalidArgument);
  return okStatus();
}

Result<std::uint32_t> TableWriter::mapRow() {
  if (nextMapRow_ >= mapRows_.size()) return Error(errc::kInvalidArgument);
  return mapRows_[nextMapRow_++];
}

Status TableWriter::closeDataPage() {
  if (dataPage_ == 0) return okStatus();
  if (data_.fits(minimumRow_)) withRoom_.push_back(dataPage_);
  JET_CHECK(out_->write(dataPage_, data_.bytes()));
  dataPage_ = 0;
  return okStatus();
}

Status TableWriter::placeFor(std::size_t size) {
  if (dataPage_ != 0 && data_.fits(size)) return okStatus();
  JET_CHECK(closeDataPage());
  JET_TRY(dataPage_, out_->allocate());
  data_.reset(table_.page);
  dataPages_.push_back(dataPage_);
  return okStatus();
}

Result<std::uint32_t> TableWriter::bodyPageFor(std::size_t size) {
  if (bodyPage_ != 0 && bodies_.fits(size)) return bodyPage_;
  if (bodyPage_ != 0) JET_CHECK(out_->write(bodyPage_, bodies_.bytes()));
  JET_TRY(bodyPage_, out_->allocate());
  bodies_.reset(table_.page);
  dataPages_.push_back(bodyPage_);
  return bodyPage_;
}

Status TableWriter::add(std::span<const Value> values, RowFate fate,
                        std::span<const std::optional<std::vector<std::byte>>> carried) {
  if (values.size() != table_.columns.size()) return Error(errc::kInvalidArgument);
  if (anyCarried_ && carried.size() != shapes_.size()) {
    return Error::corrupt(table_.page, "un índice de texto en un orden de clasificación que "
                                       "este programa no reproduce no trae sus claves");
  }
  if (autoNumberColumn_ < values.size()) {
    if (const auto* v = std::get_if<std::int32_t>(&values[autoNumberColumn_])) {
      highestAutoNumber_ = std::max(highestAutoNumber_.value_or(*v), *v);
    }
  }
  const bool deleted = fate == RowFate::kDeleted;
  JET_CHECK(encoder_.encode(
      values,
      [this, deleted](std::size_t column, std::span<const std::byte> value) {
        return longValues_.store(column, value, deleted);
      },
      row_));
  std::uint8_t slot = 0;
  if (fate == RowFate::kMoved) {
    // The body on a page of bodies, flagged as such; in the row's place a
    // pointer to it (row number, then page), where the indexes point.
    JET_TRY(std::uint32_t bodyPage, bodyPageFor(row_.size()));
    const std::uint8_t body = bodies_.add(row_);
    bodies_.flag(body, data_page::kNotLive);
    const auto pointer = encodeMovedRow(RowLocation{bodyPage, body});
    JET_CHECK(placeFor(pointer.size()));
    slot = data_.add(pointer);
    data_.flag(slot, data_page::kMoved);
  } else {
    JET_CHECK(placeFor(row_.size()));
    slot = data_.add(row_);
    if (deleted) {
      data_.flag(slot, data_page::kDeleted);
      return okStatus();  // no index entry, not counted
    }
  }
  if (rows_ == UINT32_MAX) return Error(errc::kTooLarge, "filas");
  ++rows_;

  // The row's entry in each index: its key, then where the row is.
  const auto where = index_page::encodeRowPointer(dataPage_, slot);
  for (std::size_t r = 0; r < shapes_.size(); ++r) {
    const IndexShape& shape = *shapes_[r];
    if (shape.carried) {
      if (carried[r]) JET_CHECK(entries_[r].add(*carried[r], where));
      continue;
    }
    keyValues_.clear();
    for (std::size_t pos : shape.valuePositions) keyValues_.push_back(values[pos]);
    // An index that ignores NULLs has no entry for a row whose key columns
    // are all NULL.
    if (!shape.hasEntry(keyValues_)) continue;
    key_.clear();
    for (std::size_t i = 0; i < shape.columns.size(); ++i) {
      JET_CHECK(appendKeyColumn(shape.columns[i], keyValues_[i], key_));
    }
    JET_CHECK(entries_[r].add(key_, where));
  }
  return okStatus();
}

Status TableWriter::writeMap(std::uint32_t pointer, std::span<const std::uint32_t> pages,
                             bool inlineOnly) {
  std::span<std::byte> row = maps_->row(pointer);
  if (inlineOnly) {
    encodeInlineMap(pages, row);
    return okStatus();
  }
  return encodeUsageMap(pages, row, *out_);
}

Result<TableDefinition> TableWriter::finish() {
  JET_CHECK(closeDataPage());
  if (bodyPage_ != 0) JET_CHECK(out_->write(bodyPage_, bodies_.bytes()));
  JET_CHECK(longValues_.finish());

  // Index trees, one after the other, each from its sort.
  PageAllocator allocate = [this] { return out_->allocate(); };
  PageWriter write = [this](std::uint32_t n, std::span<const std::byte> b) { return out_->write(n, b); };
  std::vector<BuiltIndexTree> trees;
  for (std::size_t r = 0; r < shapes_.size(); ++r) {
    ExternalSorter& entries = entries_[r];
    JET_CHECK(entries.finish());
    IndexTreeBuilder builder(table_.page, allocate, write);
    for (;;) {
      JET_TRY(bool pending, entries.next());
      if (!pending) break;
      std::span<const std::byte> key = entries.key();
      std::span<const std::byte> where = entries.payload();
      IndexEntry e;
      e.key.assign(key.begin(), key.end());
      const RowLocation row = index_page::decodeRowPointer(where);
      e.dataPage = row.page;
      e.dataRow = row.row;
      JET_CHECK(builder.add(std::move(e)));
    }
    JET_TRY(BuiltIndexTree tree, builder.finish());
    trees.push_back(std::move(tree));
  }

  // Usage maps: the data pages, those with room, each long-value column's,
  // each index's.
  std::sort(dataPages_.begin(), dataPages_.end());
  JET_TRY(table_.usageMap, mapRow());
  JET_CHECK(writeMap(table_.usageMap, dataPages_, false));
  JET_TRY(table_.freeMap, mapRow());
  JET_CHECK(writeMap(table_.freeMap, withRoom_, true));
  for (LongValueMaps& m : table_.longValueMaps) {
    std::size_t position = 0;
    while (table_.columns[position].number != m.column) ++position;
    JET_TRY(m.usageMap, mapRow());
    JET_CHECK(writeMap(m.usageMap, longValues_.pages(position), false));
    JET_TRY(m.freeMap, mapRow());
    JET_CHECK(writeMap(m.freeMap, longValues_.pagesWithRoom(position), true));
  }
  for (std::size_t r = 0; r < table_.realIndexes.size(); ++r) {
    RealIndexDef& real = table_.realIndexes[r];
    std::vector<std::uint32_t> pages = trees[r].pages;
    std::sort(pages.begin(), pages.end());
    JET_TRY(real.usageMap, mapRow());
    JET_CHECK(writeMap(real.usageMap, pages, false));
    real.firstPage = trees[r].root;
    real.statEntries = static_cast<std::uint32_t>(trees[r].entries);
    real.statDistinct = static_cast<std::uint32_t>(trees[r].distinctKeys);
  }
  table_.rowCount = rows_;
  if (autoNumberColumn_ < table_.columns.size()) {
    table_.autoNumber = static_cast<std::uint32_t>(std::max(0, highestAutoNumber_.value_or(0)));
  }
  const std::vector<std::byte> bytes = encodeTableDefinition(table_);
  JET_CHECK(writeTableDefinition(bytes, tdefPages_, *out_));
  table_.pages = tdefPages_;
  return std::move(table_);
}

}  // namespace jet
