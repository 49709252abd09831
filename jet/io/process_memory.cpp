#include "jet/io/process_memory.h"

#include <cstdlib>  // defines __GLIBC__ where it is glibc
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace jet {

void releaseBigBlocksWhenFreed() {
#if defined(__GLIBC__)
  // A fixed threshold also turns off glibc's raising of it.
  mallopt(M_MMAP_THRESHOLD, 1 << 20);
#endif
}

}  // namespace jet
