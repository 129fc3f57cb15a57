#include "concurrency/WorkerPool.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <memory>
#include <system_error>

#include "concurrency/RetainedMemory.h"

#ifdef __linux__
#include <sched.h>
#endif

namespace pixtrel {
namespace {

// One call of RunParts: the parts are taken in turn by whichever thread is free.
struct PartsJob {
  const std::function<void(int)>* part = nullptr;
  int parts = 0;
  std::atomic<int> next{0};
  std::mutex mutex;
  std::condition_variable idle;
  int active = 0;       // helpers inside TakeParts
  bool closed = false;  // the caller is done taking parts: late helpers do nothing
  std::exception_ptr error;
};

void TakeParts(PartsJob& job) {
  for (int i = job.next++; i < job.parts; i = job.next++) {
    try {
      (*job.part)(i);
    } catch (...) {
      std::lock_guard<std::mutex> lock(job.mutex);
      if (!job.error) job.error = std::current_exception();
    }
  }
}

}  // namespace

int UsableCoreCount() {
#ifdef __linux__
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) == 0) {
    const int n = CPU_COUNT(&set);
    if (n > 0) return n;
  }
#endif
  return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

WorkerPool& WorkerPool::Shared() {
  // Never destroyed: workers may still wait for tasks while the process ends.
  static WorkerPool* pool = new WorkerPool(UsableCoreCount());
  return *pool;
}

WorkerPool::WorkerPool(int threads) {
  KeepFreedMemoryForReuse();
  for (int t = 0; t < threads; ++t) {
    try {
      threads_.emplace_back([this] { Work(); });
    } catch (const std::system_error&) {
      break;  // fewer workers; callers run their parts themselves
    }
  }
  for (std::thread& t : threads_)
    t.detach();
}

void WorkerPool::Work() {
  for (;;) {
    std::function<void()> task;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait(lock, [this] { return !queue_.empty(); });
      task = std::move(queue_.front());
      queue_.pop_front();
    }
    task();
  }
}

void WorkerPool::Submit(std::function<void()> task) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back(std::move(task));
  }
  wake_.notify_one();
}

void WorkerPool::RunParts(int parts, int helpers, const std::function<void(int)>& part) {
  if (parts <= 0) return;
  helpers = std::min({helpers, workers(), parts - 1});
  if (helpers <= 0) {
    for (int i = 0; i < parts; ++i)
      part(i);
    return;
  }
  auto job = std::make_shared<PartsJob>();
  job->part = &part;
  job->parts = parts;
  for (int h = 0; h < helpers; ++h) {
    Submit([job] {
      {
        std::lock_guard<std::mutex> lock(job->mutex);
        if (job->closed) return;
        ++job->active;
      }
      TakeParts(*job);
      {
        std::lock_guard<std::mutex> lock(job->mutex);
        --job->active;
      }
      job->idle.notify_all();
    });
  }
  TakeParts(*job);
  std::unique_lock<std::mutex> lock(job->mutex);
  job->closed = true;
  job->idle.wait(lock, [&] { return job->active == 0; });
  if (job->error) std::rethrow_exception(job->error);
}

}  // namespace pixtrel
