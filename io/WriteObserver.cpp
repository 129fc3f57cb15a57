#include "io/WriteObserver.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <string>

namespace pixtrel {
namespace {

std::atomic<WriteObserver*> g_observer{nullptr};

class SignalObserver : public WriteObserver {
 public:
  SignalObserver(long long afterBytes, int signal) : afterBytes_(afterBytes), signal_(signal) {}

  bool beforeWrite(std::size_t, std::size_t& chunk) override {
    if (chunk == 0) return true;  // an empty output writes nothing
    const long long before = written_.load();
    if (before >= afterBytes_) std::raise(signal_);
    chunk = static_cast<std::size_t>(
        std::min<long long>(static_cast<long long>(chunk), std::max(1LL, afterBytes_ - before)));
    return true;
  }
  void afterWrite(std::size_t bytes) override { written_ += static_cast<long long>(bytes); }

 private:
  const long long afterBytes_;
  const int signal_;
  std::atomic<long long> written_{0};
};

}  // namespace

void SetWriteObserver(WriteObserver* observer) noexcept {
  g_observer.store(observer);
}

WriteObserver* CurrentWriteObserver() noexcept {
  return g_observer.load();
}

void SignalAfterBytes(std::string_view bytesAndSignal) {
  long long afterBytes = -1;
  int signal = 0;
  const std::string text(bytesAndSignal);
  if (std::sscanf(text.c_str(), "%lld %d", &afterBytes, &signal) != 2 || afterBytes < 0) return;
  static SignalObserver observer(afterBytes, signal);  // once per process: a test run's setting
  SetWriteObserver(&observer);
}

}  // namespace pixtrel
