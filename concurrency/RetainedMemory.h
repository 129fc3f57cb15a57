#pragma once
// Memory freed by one file's work is kept by the allocator for the next file: mapping a raster
// afresh costs the kernel a page fault for every 4 KiB of it, more than the turn of its pixels.
// All threads share one heap, so what one file freed is reused by the next whichever worker
// takes it. A batch keeps what its memory budget leaves beside the files in flight, and gives it
// all back when it ends.
#include <cstdint>

namespace pixtrel {

// Sets the allocator's policy (once per process; the worker pool does it when it starts): one
// heap for every thread; blocks up to 32 MiB come from it and are kept when freed (up to 256 MiB
// at its top); larger blocks are mapped on their own and given back when freed.
void KeepFreedMemoryForReuse();

// Gives the freed memory the allocator keeps back to the system.
void GiveBackFreedMemory();

// Gives it back when the allocator holds more than `bytes` freed: a batch passes what its
// memory budget leaves beside the files in flight.
void KeepFreedMemoryWithin(std::uint64_t bytes);

// While alive, a batch run: on leaving, the memory its files freed goes back to the system, so
// the window does not hold a batch's rasters between runs.
class RetainedMemoryScope {
 public:
  RetainedMemoryScope() = default;
  ~RetainedMemoryScope() { GiveBackFreedMemory(); }
  RetainedMemoryScope(const RetainedMemoryScope&) = delete;
  RetainedMemoryScope& operator=(const RetainedMemoryScope&) = delete;
};

}  // namespace pixtrel
