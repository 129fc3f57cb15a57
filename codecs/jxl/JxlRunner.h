#pragma once
// libjxl's parallel work on the process's worker pool: the codec starts no threads of its own,
// keeps to the thread limit and, inside a batch that already keeps every core busy, runs on the
// calling thread alone.
#include <jxl/parallel_runner.h>

#include <cstdint>

namespace pixtrel::jxl {

// A JxlParallelRunner; pass nullptr as its opaque pointer.
JxlParallelRetCode PoolRunner(void* runner, void* jpegxl, JxlParallelRunInit init,
                              JxlParallelRunFunction run, std::uint32_t start, std::uint32_t end);

}  // namespace pixtrel::jxl
