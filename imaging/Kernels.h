#pragma once
// The choice between the AVX2 + FMA pixel loops and the portable ones. Both give the same bytes;
// the portable ones run where the processor lacks AVX2 or FMA, and when a test asks for them.
#include "imaging/Avx2Target.h"

namespace pixtrel {

enum class KernelChoice { Fastest, Portable };

// For tests and benchmarks: Portable forces the portable loops everywhere.
void SetKernelChoice(KernelChoice choice);

// True when the AVX2 loops are compiled in, the processor has AVX2 and FMA, and the portable
// loops are not forced.
bool UseAvx2Kernels();

}  // namespace pixtrel
