#include "tools/common.h"

#include <iostream>

#include "jet/io/path_text.h"
#include "tools/commands.h"

namespace jetdb {

int printError(const jet::Error& error) {
  std::cerr << error.toString() << "\n";
  return kExitError;
}

GlobalOptions& globalOptions() {
  static GlobalOptions options;
  return options;
}

std::unique_ptr<jet::Database> openOrPrint(const std::string& path) {
  auto db = jet::Database::open(jet::pathFromUtf8(path), jet::Database::Access::kRead,
                                globalOptions().password);
  if (!db) {
    printError(db.error());
    return nullptr;
  }
  return std::move(*db);
}

}  // namespace jetdb
