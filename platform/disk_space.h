// The four figures Windows gives for the free space of a drive.
#pragma once

#include <cstdint>

namespace platform {

struct DiskFigures {
  std::uint32_t sectorsPerCluster = 0;
  std::uint32_t bytesPerSector = 0;
  std::uint64_t freeClusters = 0;   // those the user may still use
  std::uint64_t totalClusters = 0;
};

class DiskSpace {
 public:
  virtual ~DiskSpace() = default;
  // Fills `figures` for the file system at the root of the current drive;
  // returns false, leaving `figures` as they were, when they cannot be had.
  virtual bool diskFreeSpace(DiskFigures& figures) = 0;
};

}  // namespace platform
