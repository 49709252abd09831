// Free-space figures of the current drive from GetDiskFreeSpaceA, called as
// the main application calls it: no root path, the current drive.
#pragma once

#include "platform/disk_space.h"

namespace platform {

class WindowsDiskSpace : public DiskSpace {
 public:
  bool diskFreeSpace(DiskFigures& figures) override;
};

}  // namespace platform
