#include "tests/support/WriteFailure.h"

#include <algorithm>
#include <atomic>

#include "io/WriteObserver.h"

namespace pixtrel {
namespace {

class FailureAfter : public WriteObserver {
 public:
  std::atomic<long long> after{-1};

  bool beforeWrite(std::size_t written, std::size_t& chunk) override {
    const long long limit = after.load();
    if (limit < 0) return true;
    if (written >= static_cast<std::size_t>(limit)) return false;
    chunk = std::min(chunk, static_cast<std::size_t>(limit) - written);
    return true;
  }
  void afterWrite(std::size_t) override {}
};

FailureAfter g_failure;

}  // namespace

void InjectWriteFailureAfter(long long bytes) noexcept {
  g_failure.after.store(bytes);
  SetWriteObserver(bytes < 0 ? nullptr : &g_failure);
}

}  // namespace pixtrel
