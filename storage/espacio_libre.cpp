#include "storage/espacio_libre.h"

#include <cstdint>
#include <limits>

#include "platform/notices.h"
#include "platform/text.h"

namespace storage {

double bytesLibres(const platform::DiskFigures& figures) {
  const std::int64_t perCluster =
      std::int64_t{figures.sectorsPerCluster} * std::int64_t{figures.bytesPerSector};
  if (perCluster > std::numeric_limits<std::int32_t>::max()) return kDesbordamiento;
  // The cluster count is a count, never negative: above 2^31 clusters it is
  // not read as a negative 32-bit number.
  return static_cast<double>(perCluster) * static_cast<double>(figures.freeClusters);
}

double EspacioLibreEnDisco(platform::Ui& ui, platform::Files& fs, platform::DiskSpace& disk,
                           std::string Drive) {
  const std::string unidadActual = platform::utf16Prefix(fs.currentFolder(), 2);
  if (Drive.find(':') == std::string::npos || platform::utf16Length(Drive) > 2) {
    Drive = platform::utf16Prefix(Drive, 1) + ":";
  }
  if (platform::RunStatus s = fs.setCurrentDrive(Drive); !s) {
    platform::errorReport(ui, s.error());
    return kFallo;
  }
  platform::DiskFigures figures;  // all 0: a failed query leaves them so
  disk.diskFreeSpace(figures);
  const double libres = bytesLibres(figures);
  (void)fs.setCurrentDrive(unidadActual);  // the drive was current before: it exists
  return libres;
}

}  // namespace storage
