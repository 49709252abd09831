// Writes one table into a new file: its rows on data pages, their long
// values, its index trees and usage maps, then its definition.
//
// Outline:
//   1. begin(): the index shapes. The table's usage-map rows (mapRowCount:
//      one for the data pages, one for those with room, two per long-value
//      column, one per real index) were reserved in the UsageMapArea.
//   2. add(): each row in its final order. The row goes on the current data
//      page, or a new one; its long values on the long-value pages; one
//      entry per real index (its key, pointing at the row) to that index's
//      sort.
//   3. finish(): the last pages; each index tree from its sorted entries
//      (index_tree_builder.h); the usage maps; the definition with the exact
//      row count, the AutoNumber seed (the highest value left) and every
//      pointer, on the definition pages reserved for it.
// All other pages of the table are taken from the PageOutput during these
// steps, so the table's pages are adjacent in the file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "jet/core/result.h"
#include "jet/format/table_definition.h"
#include "jet/model/index_shape.h"
#include "jet/write/compaction_source.h"
#include "jet/write/data_page_builder.h"
#include "jet/write/external_sorter.h"
#include "jet/write/long_value_writer.h"
#include "jet/write/page_output.h"
#include "jet/write/row_encoder.h"
#include "jet/write/usage_map_area.h"

namespace jet {

class TableWriter {
 public:
  // `table`: laid out (row_encoder.h), with its page field set to its first
  // definition page and relationship pages already remapped. `tdefPages`:
  // the definition pages reserved for it. Requires: `out` outlives the writer.
  TableWriter(PageOutput& out, TableDefinition table, std::vector<std::uint32_t> tdefPages,
              UsageMapArea& maps, std::vector<std::uint32_t> mapRows,
              const ScratchSpace& scratch, std::size_t sortMemory);
  // Its encoder refers to its own definition: neither copied nor moved.
  TableWriter(const TableWriter&) = delete;
  TableWriter& operator=(const TableWriter&) = delete;

  Status begin();
  // Adds a row; values[i] belongs to the table's columns[i]. `fate`: how it
  // is stored (compaction_source.h); a deleted row still counts for the
  // AutoNumber seed, as the number was handed out. `carried`: the row's keys
  // in the carried indexes (RowStream::carriedKeys), which the writer takes
  // as they are; a table with a carried index and no such keys is refused
  // (3343), as the engine does not make their keys.
  Status add(std::span<const Value> values, RowFate fate = RowFate::kLive,
             std::span<const std::optional<std::vector<std::byte>>> carried = {});
  // Writes the rest and the definition; returns the definition as written.
  Result<TableDefinition> finish();

  // Number of pages a definition of `table` (laid out) takes, and of the
  // usage-map rows it needs.
  static std::size_t definitionPages(const TableDefinition& table);
  static std::size_t mapRowCount(const TableDefinition& table);

 private:
  Status closeDataPage();
  // Where a row of `size` bytes goes: the open data page, or a new one.
  Status placeFor(std::size_t size);
  // A page for the bodies of moved rows, apart from the one being filled.
  Result<std::uint32_t> bodyPageFor(std::size_t size);
  Result<std::uint32_t> mapRow();  // the next reserved usage-map row
  Status writeMap(std::uint32_t pointer, std::span<const std::uint32_t> pages, bool inlineOnly);

  PageOutput* out_;
  TableDefinition table_;
  std::vector<std::uint32_t> tdefPages_;
  RowEncoder encoder_;
  LongValueWriter longValues_;
  ScratchSpace scratch_;
  std::size_t sortMemory_;
  // Per real index: its shape, and the sort of its entries (apart, so that
  // the entries of an index on the order the rows come in need no sort).
  std::vector<std::optional<IndexShape>> shapes_;
  bool anyCarried_ = false;  // some index's keys come with the rows (add)
  std::vector<ExternalSorter> entries_;
  std::size_t minimumRow_ = 0;

  UsageMapArea* maps_;
  std::vector<std::uint32_t> mapRows_;
  std::size_t nextMapRow_ = 0;

  DataPageBuilder data_;
  std::uint32_t dataPage_ = 0;  // 0: none open
  std::vector<std::uint32_t> dataPages_;
  DataPageBuilder bodies_;
  std::uint32_t bodyPage_ = 0;  // 0: none open
  std::vector<std::uint32_t> withRoom_;

  std::uint32_t rows_ = 0;
  std::optional<std::int32_t> highestAutoNumber_;
  std::size_t autoNumberColumn_;
  std::vector<std::byte> row_;
  std::vector<Value> keyValues_;
  std::vector<std::byte> key_;
};

}  // namespace jet
