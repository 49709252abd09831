// The pages that hold the usage-map rows of every table of a new file.
//
// Access keeps map rows on data pages owned by no table (owner 0), fifteen
// to a page, shared between tables. The compactor knows from the table
// definitions how many rows each table needs, reserves them all on pages
// right after the definitions, fills them as the tables are written, and
// writes the pages at the end.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "jet/core/result.h"
#include "jet/write/data_page_builder.h"
#include "jet/write/page_output.h"

namespace jet {

class UsageMapArea {
 public:
  // Reserves `rows` map rows, on new pages from `out` as needed; returns
  // their row pointers.
  Result<std::vector<std::uint32_t>> reserve(PageOutput& out, std::size_t rows);
  // The bytes of a reserved row. Requires: `pointer` came from reserve().
  std::span<std::byte> row(std::uint32_t pointer);
  // Writes every page.
  Status write(PageOutput& out);

 private:
  std::vector<std::uint32_t> pageNumbers_;
  std::vector<DataPageBuilder> pages_;
};

}  // namespace jet
