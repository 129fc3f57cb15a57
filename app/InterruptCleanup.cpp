#include "app/InterruptCleanup.h"

#include <csignal>

#include "io/SafeWrite.h"

namespace pixtrel {
namespace {

// Only async-signal-safe work: unlink the temporary file, then end as the signal would have.
// Writes are atomic, so nothing else can be half done.
extern "C" void RemoveTemporaryAndEnd(int signal) {
  RemovePendingTemporaryFile();
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  sigaction(signal, &fallback, nullptr);
  raise(signal);
}

}  // namespace

void InstallInterruptCleanup() {
  struct sigaction action {};
  action.sa_handler = RemoveTemporaryAndEnd;
  sigemptyset(&action.sa_mask);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP})
    sigaddset(&action.sa_mask, signal);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP})
    sigaction(signal, &action, nullptr);
}

}  // namespace pixtrel
