// The shared worker pool: every part runs once, nested use finishes, errors reach the caller.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <vector>

#include "concurrency/ParallelFor.h"
#include "concurrency/WorkerPool.h"

using namespace pixtrel;

namespace {

TEST(WorkerPool, RunsEveryPartExactlyOnce) {
  std::vector<std::atomic<int>> hits(1000);
  WorkerPool::Shared().RunParts(1000, 8, [&](int i) { ++hits[static_cast<std::size_t>(i)]; });
  for (const auto& h : hits)
    EXPECT_EQ(h.load(), 1);
}

TEST(WorkerPool, NestedPartsFromInsideWorkersFinish) {
  // Every worker busy with an outer part that splits again: the callers take their own parts.
  std::atomic<long long> sum{0};
  const int outer = 4 * (WorkerPool::Shared().workers() + 1);
  std::atomic<int> done{0};
  for (int o = 0; o < outer; ++o) {
    WorkerPool::Shared().Submit([&] {
      ParallelFor(64, 1, 1, [&](int b, int e) {
        for (int i = b; i < e; ++i)
          sum += i;
      });
      ++done;
    });
  }
  ParallelFor(64, 1, 1, [&](int b, int e) {
    for (int i = b; i < e; ++i)
      sum += i;
  });
  while (done.load() < outer)
    std::this_thread::yield();
  EXPECT_EQ(sum.load(), (outer + 1) * (63 * 64 / 2));
}

TEST(WorkerPool, TheFirstErrorOfAPartReachesTheCaller) {
  EXPECT_THROW(WorkerPool::Shared().RunParts(50, 4,
                                             [](int i) {
                                               if (i == 17) throw std::runtime_error("part 17");
                                             }),
               std::runtime_error);
}

TEST(WorkerPool, UsesTheCoresOfTheProcess) {
  EXPECT_GE(UsableCoreCount(), 1);
  EXPECT_EQ(WorkerPool::Shared().workers(), UsableCoreCount());
}

}  // namespace
