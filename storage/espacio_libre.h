// The free space of a drive, as the window offers it.
#pragma once

#include <string>

#include "platform/disk_space.h"
#include "platform/files.h"
#include "platform/ui.h"

namespace storage {

// The result when the query failed before any figure was read.
inline constexpr double kFallo = -1;
// The result when the bytes per cluster do not fit in 32 bits.
inline constexpr double kDesbordamiento = 2147483647;

// Free bytes for the user on drive `Drive` ("C", "C:" and "C:\datos" all
// name drive C; "" names ":", which does not exist). The drive is made
// current for the query and the previous one made current again. A drive
// that does not exist gets an error report and kFallo; figures that cannot
// be read count as 0.
double EspacioLibreEnDisco(platform::Ui& ui, platform::Files& fs, platform::DiskSpace& disk,
                           std::string Drive);

// The free bytes of the figures: free clusters times bytes per cluster, the
// latter a 32-bit signed product (kDesbordamiento when it does not fit), the
// whole in double precision, so a free space above 4 GiB comes out exact.
double bytesLibres(const platform::DiskFigures& figures);

}  // namespace storage
