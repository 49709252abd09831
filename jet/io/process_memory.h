// How the process's heap treats the engine's big buffers.
//
// A compaction sorts table after table with buffers of megabytes each (the
// sort's batch, the merge's run buffers, the output's page window). glibc's
// allocator maps such a block from the system and unmaps it when it is freed,
// but then raises its threshold to the size freed: the next table's buffers
// come from the heap, and what they leave there is not handed back. A 1 GB
// compaction then holds half as much again as it uses at any time.
#pragma once

namespace jet {

// Keeps every block of a megabyte or more mapped on its own, so that freeing
// it returns it to the system, and up to 8 MB freed at the heap's top kept for
// the next blocks. Programs call it once, before any work; a no-op where the
// C library already does so (Windows).
void releaseBigBlocksWhenFreed();

}  // namespace jet
