#pragma once
// The pixel loops of the two resampling passes, in a portable version and an AVX2 + FMA version
// that give the same bytes.
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "imaging/Kernels.h"
#include "imaging/TapLists.h"

namespace pixtrel {

struct PixelRows {
  std::uint8_t* data;
  std::size_t stride;
  int width;  // pixels
  int height;
  int first = 0;  // the number of the row at data: a window onto rows [first, first + height)
  std::uint8_t* row(int y) const {
    return data + static_cast<std::ptrdiff_t>(y - first) * static_cast<std::ptrdiff_t>(stride);
  }
};

struct TapView {
  const Tap* taps;
  const std::size_t* starts;
};

inline TapView ViewOf(const TapLists& lists) {
  return {lists.taps(), lists.starts()};
}

// Sums clamp to [0, 255] and round half to even, whatever the processor's rounding mode.
// Written as max-then-min so a sum that is not a number gives 0, as the vector code does.
inline std::uint8_t ClampRoundToByte(float sum) {
  float v = sum > 0.0f ? sum : 0.0f;
  v = v < 255.0f ? v : 255.0f;
  const float whole = std::floor(v);
  const float rest = v - whole;
  if (rest > 0.5f || (rest == 0.5f && std::fmod(whole, 2.0f) != 0.0f))
    return static_cast<std::uint8_t>(whole + 1.0f);
  return static_cast<std::uint8_t>(whole);
}

// One channel of one output pixel: sum = sum + byte x weight rounded once per tap.
inline float TapSum(const Tap* taps, std::int32_t count, const std::uint8_t* line,
                    std::size_t step) {
  float sum = 0.0f;
  for (std::int32_t k = 0; k < count; ++k) {
    sum = std::fma(static_cast<float>(line[static_cast<std::size_t>(taps[k].index) * step]),
                   taps[k].weight, sum);
  }
  return sum;
}

// Rows per block of the vector horizontal pass, and the float scratch it needs per block.
inline constexpr int kHorizontalBlockRows = 16;
std::size_t HorizontalScratchFloats(int sourceWidth);

// First pass over source rows [y0, y1): row y of source into row y of intermediate, column x
// from list x. The vector version wants y0 a multiple of kHorizontalBlockRows (for speed only)
// and a scratch of HorizontalScratchFloats(source.width) floats.
void HorizontalPassPortable(const PixelRows& source, const PixelRows& intermediate, TapView taps,
                            int y0, int y1);
// Second pass over target rows [y0, y1): target row y from list y over the intermediate rows.
void VerticalPassPortable(const PixelRows& intermediate, const PixelRows& target, TapView taps,
                          int y0, int y1);

// Only when UseAvx2Kernels() is true.
void HorizontalPassAvx2(const PixelRows& source, const PixelRows& intermediate, TapView taps,
                        int y0, int y1, float* scratch);
void VerticalPassAvx2(const PixelRows& intermediate, const PixelRows& target, TapView taps, int y0,
                      int y1);

}  // namespace pixtrel
