#include "concurrency/ParallelFor.h"

#include <algorithm>
#include <atomic>

#include "concurrency/WorkerPool.h"

namespace pixtrel {
namespace {

std::atomic<int> threadLimit{0};
constexpr int kPartsPerThread = 6;

}  // namespace

void SetWorkerThreadLimit(int threads) {
  threadLimit = std::max(threads, 0);
}

int WorkerThreadCount() {
  const int limit = threadLimit.load();
  if (limit > 0) return limit;
  return UsableCoreCount();
}

void ParallelFor(int count, int grain, int minItems, const std::function<void(int, int)>& work) {
  if (count <= 0) return;
  grain = std::max(grain, 1);
  const int units = (count + grain - 1) / grain;
  int threads = std::min(WorkerThreadCount(), units);
  threads = std::max(1, std::min(threads, count / std::max(minItems, 1)));
  if (threads == 1) {
    work(0, count);
    return;
  }

  // Several parts per thread, taken in turn by whichever thread is free: a core busy with
  // another file of the batch (or another program) then slows the whole by its share only.
  const int parts = std::min(units, threads * kPartsPerThread);
  WorkerPool::Shared().RunParts(parts, threads - 1, [&](int part) {
    const int begin =
        std::min(count, static_cast<int>(static_cast<long long>(units) * part / parts) * grain);
    const int end = std::min(
        count, static_cast<int>(static_cast<long long>(units) * (part + 1) / parts) * grain);
    if (begin < end) work(begin, end);
  });
}

}  // namespace pixtrel
