// Opens a database image in memory together with one of its tables.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "jet/model/catalog.h"
#include "jet/model/table.h"

namespace testing_support {

struct OpenedTable {
  std::unique_ptr<jet::Database> db;
  std::optional<jet::Table> table;  // empty when opening failed
  std::string error;                // why, when it failed
  explicit operator bool() const { return table.has_value(); }
};

// The table named `name` (found through the catalog) of `image`.
OpenedTable openTable(const std::string& image, const std::string& name);
// The table whose definition is on page `page` of `image`, without the catalog.
OpenedTable openTableAt(const std::string& image, std::uint32_t page, const std::string& name);

}  // namespace testing_support
