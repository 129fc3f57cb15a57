#include "imaging/ParallelFor.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace pixtrel {
namespace {

std::atomic<int> threadLimit{0};
constexpr int kPartsPerThread = 6;

// Collects the first exception of any part.
class FirstError {
 public:
  void Capture() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!error_) error_ = std::current_exception();
  }
  void Rethrow() {
    if (error_) std::rethrow_exception(error_);
  }

 private:
  std::mutex mutex_;
  std::exception_ptr error_;
};

}  // namespace

void SetWorkerThreadLimit(int threads) {
  threadLimit = std::max(threads, 0);
}

int WorkerThreadCount() {
  const int limit = threadLimit.load();
  if (limit > 0) return limit;
  return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
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
  // another program then slows the whole by its share only.
  const int parts = std::min(units, threads * kPartsPerThread);
  std::atomic<int> next{0};
  FirstError error;
  auto runParts = [&] {
    for (int part = next++; part < parts; part = next++) {
      const int begin =
          std::min(count, static_cast<int>(static_cast<long long>(units) * part / parts) * grain);
      const int end = std::min(
          count, static_cast<int>(static_cast<long long>(units) * (part + 1) / parts) * grain);
      try {
        if (begin < end) work(begin, end);
      } catch (...) {
        error.Capture();
      }
    }
  };

  std::vector<std::thread> helpers;
  helpers.reserve(static_cast<std::size_t>(threads - 1));
  for (int t = 1; t < threads; ++t) {
    try {
      helpers.emplace_back(runParts);
    } catch (const std::system_error&) {
      break;  // no more threads to be had: the others take the parts
    }
  }
  runParts();
  for (std::thread& t : helpers)
    t.join();
  error.Rethrow();
}

}  // namespace pixtrel
