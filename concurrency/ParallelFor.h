#pragma once
// Splits a range of independent work items (rows, columns) between the processor's cores, on
// the process's worker pool. Each item is computed by the same code whichever thread runs it,
// so results never depend on the number of threads.
#include <functional>

namespace pixtrel {

// Runs work(begin, end) over contiguous parts of [0, count) whose boundaries are multiples of
// grain, on the calling thread and up to WorkerThreadCount() - 1 pool workers, at most one
// thread per minItems items. Waits for every part (taking parts itself meanwhile, so it may be
// called from inside a pool task); the first exception thrown by a part is rethrown here.
void ParallelFor(int count, int grain, int minItems, const std::function<void(int, int)>& work);

// Upper limit of threads used by ParallelFor; 0 (the default) means one per usable core.
void SetWorkerThreadLimit(int threads);
int WorkerThreadCount();

}  // namespace pixtrel
