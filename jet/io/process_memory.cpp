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
  // And it leaves the trim threshold at 128 KB: the heap's top was handed
  // back and taken again many times a second, each time with its pages
  // faulted in anew and, with the writer's and the check's threads running,
  // every core's address cache flushed. A few megabytes kept free cost
  // little and save that.
  mallopt(M_TRIM_THRESHOLD, 8 << 20);
#endif
}

}  // namespace jet
