// Helpers shared by the jetdb commands.
#pragma once

#include <memory>
#include <string>

#include "jet/core/error.h"
#include "jet/model/database.h"

namespace jetdb {

// Prints "NNNN: descripción" on stderr; returns the error exit status.
int printError(const jet::Error& error);

// What jetdb takes before its command, for every command.
struct GlobalOptions {
  std::string password;  // --password: the database's password, UTF-8
  bool debug = false;    // check --debug: errors say where the engine found them
};
GlobalOptions& globalOptions();

// Opens `path` for reading (with the password given), printing the error when
// it fails.
std::unique_ptr<jet::Database> openOrPrint(
    const std::string& path, jet::Database::Access access = jet::Database::Access::kRead);

}  // namespace jetdb
