// Moving a file the way Windows renames it: never onto an existing name, and
// onto another file system too.
#pragma once

#include <filesystem>

#include "platform/run_status.h"

namespace platform {

// Moves `from` to `to`. Fails with 58 when `to` exists (it is never
// replaced). When the two lie on different file systems the file is copied
// (see moveAcrossFileSystems). Afterwards the folders of both names are
// flushed to disk, so the move survives a power cut.
RunStatus moveFile(const std::filesystem::path& from, const std::filesystem::path& to);

// The move between file systems, one step at a time:
//   1. copy `from` under a hidden temporary name beside `to`, with its mode;
//   2. flush the copy to disk;
//   3. give the copy the name `to` (58 if that name has appeared meanwhile);
//   4. flush the folder of `to`;
//   5. remove `from` and flush its folder.
// A failure before step 3 removes the copy; a failure at step 5 removes the
// copy at `to` again. Either way `from` is left whole, and the error says
// why the move did not happen. Only ordinary files are copied.
RunStatus moveAcrossFileSystems(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace platform
