#pragma once
// Functions marked PIXTREL_AVX2 may use AVX2 and FMA instructions; everything else is compiled
// for the baseline processor, so only code reached after UseAvx2Kernels() uses them.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define PIXTREL_HAVE_AVX2 1
#define PIXTREL_AVX2 __attribute__((target("avx2,fma")))
#endif
