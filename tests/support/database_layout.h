// Where the structures of a sound database lie: each table's definition,
// maps, data and index pages, its catalog row, and the long-value pages. The
// damage generator picks its targets here; it reads through the engine.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jet/format/data_page.h"

namespace testing_support {

struct TableLayout {
  std::string name;
  bool system = false;
  std::uint32_t tdef = 0;                  // first definition page
  std::vector<std::uint32_t> tdefPages;    // the whole chain
  std::uint32_t usageMap = 0;              // row pointers
  std::uint32_t freeMap = 0;
  std::vector<std::uint32_t> dataPages;    // from the usage map
  std::vector<std::uint32_t> indexPages;   // pages of every real index's tree
  jet::RowLocation catalogRow;             // its row in MSysObjects
};

struct DatabaseLayout {
  std::uint32_t pageCount = 0;
  std::vector<TableLayout> tables;         // every table of the catalog
  std::vector<std::uint32_t> longValuePages;

  // Tables not flagged as system tables.
  std::vector<const TableLayout*> userTables() const;
  // The table named `name`, or null.
  const TableLayout* table(const std::string& name) const;
};

// Describes `image`, a sound database. Throws std::runtime_error when the
// engine cannot read it.
DatabaseLayout describeDatabase(const std::string& image);

// The byte range [start, end) of slot `row` of data page `page` in `image`
// (end = start when the slot cannot be read).
struct ByteRange { std::size_t start = 0; std::size_t end = 0; };
ByteRange rowRange(const std::string& image, std::uint32_t page, std::uint16_t row);

// Writes `to`, as long as `from`, over the name in table `from`'s catalog
// row: two tables may then share a name, as damage can leave them.
void renameTable(std::string& image, const std::string& from, const std::string& to);

}  // namespace testing_support
