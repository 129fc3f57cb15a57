#include "concurrency/RetainedMemory.h"

#include <mutex>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace pixtrel {

void KeepFreedMemoryForReuse() {
#ifdef __GLIBC__
  static std::once_flag once;
  std::call_once(once, [] {
    // Per-thread heaps would each keep the rasters of the last file their thread worked on.
    mallopt(M_ARENA_MAX, 1);
    // 32 MiB is the most glibc lets a heap serve. Setting the thresholds also stops glibc from
    // moving them by itself, so what is kept does not depend on what came before.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
  });
#endif
}

void GiveBackFreedMemory() {
#ifdef __GLIBC__
  malloc_trim(0);
#endif
}

void KeepFreedMemoryWithin(std::uint64_t bytes) {
#if defined(__GLIBC__) && (__GLIBC__ > 2 || __GLIBC_MINOR__ >= 33)
  if (mallinfo2().fordblks > bytes) malloc_trim(0);
#else
  (void)bytes;
#endif
}

}  // namespace pixtrel
