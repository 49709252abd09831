// Helpers shared by the jetdb commands.
#pragma once

#include <memory>
#include <string>

#include "jet/core/error.h"
#include "jet/model/database.h"

namespace jetdb {

// Prints "NNNN: descripción" on stderr; returns the error exit status.
int printError(const jet::Error& error);

// Opens `path` for reading, printing the error when it fails.
std::unique_ptr<jet::Database> openOrPrint(const std::string& path);

}  // namespace jetdb
