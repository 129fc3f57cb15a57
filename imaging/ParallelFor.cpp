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
  int parts = std::min(WorkerThreadCount(), units);
  parts = std::max(1, std::min(parts, count / std::max(minItems, 1)));
  if (parts == 1) {
    work(0, count);
    return;
  }

  FirstError error;
  auto runPart = [&](int part) {
    const int begin =
        std::min(count, static_cast<int>(static_cast<long long>(units) * part / parts) * grain);
    const int end = std::min(
        count, static_cast<int>(static_cast<long long>(units) * (part + 1) / parts) * grain);
    try {
      if (begin < end) work(begin, end);
    } catch (...) {
      error.Capture();
    }
  };

  std::vector<std::thread> helpers;
  helpers.reserve(static_cast<std::size_t>(parts - 1));
  int started = 1;
  for (; started < parts; ++started) {
    try {
      helpers.emplace_back(runPart, started);
    } catch (const std::system_error&) {
      break;  // no more threads to be had: the calling thread does the rest
    }
  }
  runPart(0);
  for (int part = started; part < parts; ++part)
    runPart(part);
  for (std::thread& t : helpers)
    t.join();
  error.Rethrow();
}

}  // namespace pixtrel
