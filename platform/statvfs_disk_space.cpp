#include "platform/statvfs_disk_space.h"

#include <sys/statvfs.h>

#include <limits>

namespace platform {

DiskFigures figuresFromBlocks(std::uint64_t blockSize, std::uint64_t freeBlocks,
                              std::uint64_t totalBlocks) {
  constexpr std::uint64_t kSector = 512;
  constexpr std::uint64_t kMax32 = std::numeric_limits<std::uint32_t>::max();
  DiskFigures f;
  if (blockSize % kSector == 0 && blockSize / kSector <= kMax32) {
    f.bytesPerSector = kSector;
    f.sectorsPerCluster = static_cast<std::uint32_t>(blockSize / kSector);
  } else {
    // An odd block size is one sector; one beyond 32 bits is clamped, and
    // the caller finds its bytes per cluster too large, as they are.
    f.bytesPerSector = static_cast<std::uint32_t>(blockSize < kMax32 ? blockSize : kMax32);
    f.sectorsPerCluster = 1;
  }
  f.freeClusters = freeBlocks;
  f.totalClusters = totalBlocks;
  return f;
}

bool StatvfsDiskSpace::diskFreeSpace(DiskFigures& figures) {
  struct statvfs st;
  if (::statvfs(drives_.currentRoot().c_str(), &st) != 0) return false;
  const std::uint64_t block = st.f_frsize ? st.f_frsize : st.f_bsize;
  figures = figuresFromBlocks(block, st.f_bavail, st.f_blocks);
  return true;
}

}  // namespace platform
