// The database engine as the repair procedure sees it: two whole-file
// operations on Windows names, failing with the engine's numbered errors
// (3000 database in use, 3044 no such database, 3049 not an Access database).
#pragma once

#include <string_view>

#include "platform/run_status.h"

namespace platform {

class DbEngine {
 public:
  virtual ~DbEngine() = default;
  // Repairs the database `name` in place.
  virtual RunStatus repairDatabase(std::string_view name) = 0;
  // Writes a compacted copy of `source` to `destination`, a new file; the
  // source stays where it is.
  virtual RunStatus compactDatabase(std::string_view source, std::string_view destination) = 0;
};

}  // namespace platform
