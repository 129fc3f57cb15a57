#include "codecs/jxl/JxlRunner.h"

#include <algorithm>
#include <atomic>
#include <cstdint>

#include "concurrency/ParallelFor.h"
#include "concurrency/WorkerPool.h"

namespace pixtrel::jxl {

JxlParallelRetCode PoolRunner(void*, void* jpegxl, JxlParallelRunInit init,
                              JxlParallelRunFunction run, std::uint32_t start, std::uint32_t end) {
  if (start >= end) return 0;
  // libjxl gives each thread id scratch of its own; the values are handed out one at a time to
  // whichever part is free, and part p always runs as thread id p.
  const int threads =
      static_cast<int>(std::min<std::int64_t>(std::max(WorkerThreadCount(), 1), end - start));
  if (init(jpegxl, static_cast<std::size_t>(threads)) != 0) return JXL_PARALLEL_RET_RUNNER_ERROR;
  if (threads == 1) {
    for (std::uint32_t value = start; value < end; ++value)
      run(jpegxl, value, 0);
    return 0;
  }
  std::atomic<std::uint64_t> next{start};
  try {
    WorkerPool::Shared().RunParts(threads, threads - 1, [&](int part) {
      for (std::uint64_t value = next++; value < end; value = next++)
        run(jpegxl, static_cast<std::uint32_t>(value), static_cast<std::size_t>(part));
    });
  } catch (...) {
    return JXL_PARALLEL_RET_RUNNER_ERROR;
  }
  return 0;
}

}  // namespace pixtrel::jxl
