// The one place where errno values meet the Windows run-time numbers.
#pragma once

#include <filesystem>

#include "jet/core/error.h"
#include "platform/run_status.h"

namespace platform {

// The error a file operation on `path` that failed with `err` reports: a
// missing file is 53, or 76 when its folder is missing too; EEXIST is 58;
// EACCES/EPERM/EROFS are 70; a full disk is 61; the rest are 57 or 75.
RunError posixError(int err, const std::filesystem::path& path);
// The same for a failure of the engine's file handle (jet/io/file.h), from
// the errno it was made from.
RunError posixError(const jet::Error& error, const std::filesystem::path& path);

// Flushes a folder's entries to disk (after a rename or a delete). Best
// effort: some file systems cannot flush a folder, and the entry change it
// would confirm has already happened.
void flushFolder(const std::filesystem::path& folder);

}  // namespace platform
