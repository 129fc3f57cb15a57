#include "imaging/Kernels.h"

#include <atomic>

namespace pixtrel {
namespace {

std::atomic<bool> portableOnly{false};

bool ProcessorHasAvx2Fma() {
#ifdef PIXTREL_HAVE_AVX2
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
#else
  return false;
#endif
}

}  // namespace

void SetKernelChoice(KernelChoice choice) {
  portableOnly = choice == KernelChoice::Portable;
}

bool UseAvx2Kernels() {
  static const bool available = ProcessorHasAvx2Fma();
  return available && !portableOnly;
}

}  // namespace pixtrel
