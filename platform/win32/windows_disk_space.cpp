#include "platform/win32/windows_disk_space.h"

#include <windows.h>

namespace platform {

bool WindowsDiskSpace::diskFreeSpace(DiskFigures& figures) {
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
  if (!::GetDiskFreeSpaceA(nullptr, &sectorsPerCluster, &bytesPerSector, &freeClusters,
                           &totalClusters)) {
    return false;
  }
  figures.sectorsPerCluster = sectorsPerCluster;
  figures.bytesPerSector = bytesPerSector;
  figures.freeClusters = freeClusters;
  figures.totalClusters = totalClusters;
  return true;
}

}  // namespace platform
