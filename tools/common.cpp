#include "tools/common.h"

#include <iostream>
#include <string_view>

#include "jet/io/path_text.h"
#include "tools/commands.h"

namespace jetdb {

int printError(const jet::Error& error) {
  std::cerr << error.toString() << "\n";
  if (globalOptions().debug) {
    // The engine's source file from jet/ on, and its line.
    std::string_view file = error.where().file_name();
    if (const std::size_t at = file.rfind("jet/"); at != std::string_view::npos) {
      file.remove_prefix(at);
    }
    std::cerr << "  (detectado en " << file << ":" << error.where().line() << ")\n";
  }
  return kExitError;
}

GlobalOptions& globalOptions() {
  static GlobalOptions options;
  return options;
}

std::unique_ptr<jet::Database> openOrPrint(const std::string& path, jet::Database::Access access) {
  auto db = jet::Database::open(jet::pathFromUtf8(path), access,
                                globalOptions().password);
  if (!db) {
    printError(db.error());
    return nullptr;
  }
  return std::move(*db);
}

}  // namespace jetdb
