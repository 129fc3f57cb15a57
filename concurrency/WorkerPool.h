#pragma once
// One set of worker threads for the whole process, as many as the cores the process may run on.
// The batch's files, the resampler's rows and the palette reduction all share it, so nested use
// (a file's work splitting its rows) never multiplies the threads beyond the cores.
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace pixtrel {

// The cores this process may run on (its affinity mask), at least 1.
int UsableCoreCount();

class WorkerPool {
 public:
  // The process's pool, started on first use and kept until the process ends.
  static WorkerPool& Shared();

  int workers() const { return static_cast<int>(threads_.size()); }

  // Queues a task for a worker. The task must not throw.
  void Submit(std::function<void()> task);

  // Runs part(i) for every i in [0, parts), on the calling thread and on up to `helpers` workers
  // that are free. The caller takes parts itself while it waits and never waits for a helper
  // that has not started, so a part may itself run parts (nested use cannot deadlock). Returns
  // once every part is done; the first exception of any part is rethrown here.
  void RunParts(int parts, int helpers, const std::function<void(int)>& part);

  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

 private:
  explicit WorkerPool(int threads);
  void Work();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> queue_;
  std::vector<std::thread> threads_;
};

}  // namespace pixtrel
