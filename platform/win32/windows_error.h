// The one place where Windows error codes meet the run-time numbers the
// window's logic shows: the same numbers, and so the same Spanish texts, as
// the Linux adapters give for the same failures (posix_error.h).
#pragma once

#include "platform/run_status.h"

namespace platform {

// 53 file not found, 76 path not found, 58 already exists, 70 permission
// denied (a file in use by another program too), 61 disk full, 68 a drive
// that does not exist, 71 a drive not ready, 52 a bad name, 74 a folder moved
// to another drive, 67 too many files; the rest are 75.
RunError windowsError(unsigned long code);

}  // namespace platform
