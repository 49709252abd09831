// Free-space figures of the current drive from statvfs(3).
#pragma once

#include "platform/disk_space.h"
#include "platform/drive_map.h"

namespace platform {

// The figures as Windows would give them for the file system holding the
// current drive's root: 512-byte sectors where the block size allows it
// (one block per cluster), the blocks free to the user, all the blocks.
DiskFigures figuresFromBlocks(std::uint64_t blockSize, std::uint64_t freeBlocks,
                              std::uint64_t totalBlocks);

class StatvfsDiskSpace : public DiskSpace {
 public:
  // `drives` must outlive this object.
  explicit StatvfsDiskSpace(const DriveMap& drives) : drives_(drives) {}
  bool diskFreeSpace(DiskFigures& figures) override;

 private:
  const DriveMap& drives_;
};

}  // namespace platform
