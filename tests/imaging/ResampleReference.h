#pragma once
// A plain evaluation of the resampler's definition for the tests: every output pixel recomputes
// its own taps in double precision (rounded to float where the definition says), mirrors them
// into the source by repeated reflection and sums them one by one. No tables, no sharing, no
// vectors, so it shares nothing with the optimised code but the filter functions.
#include <cmath>
#include <cstdint>
#include <vector>

#include "core/Bitmap24.h"
#include "imaging/FilterTable.h"

namespace pixtrel::test {

struct ReferenceTap {
  int index;
  float weight;
};

inline int MirrorIntoSource(long long j, int length) {
  while (j < 0 || j >= length)
    j = j < 0 ? -j : 2LL * length - 1 - j;
  return static_cast<int>(j);
}

inline std::vector<ReferenceTap> ReferenceTaps(int sourceLength, int targetLength, int i,
                                               FilterFunction filter, float support) {
  // One target pixel from a longer source covers it all, centred on its middle.
  const bool single = targetLength == 1 && sourceLength > 1;
  const double exactScale = (sourceLength == 1 || single)
                                ? double(targetLength) / sourceLength
                                : double(targetLength - 1) / double(sourceLength - 1);
  const float scale = static_cast<float>(exactScale);
  const bool shrinking = scale < 1.0f;
  const float width = shrinking ? static_cast<float>(double(support) / double(scale)) : support;
  const float fscale = static_cast<float>(1.0 / double(scale));
  const float centre = single ? static_cast<float>((sourceLength - 1) * 0.5)
                              : static_cast<float>(double(i) / double(scale));
  std::vector<ReferenceTap> taps;
  const long long left = static_cast<long long>(std::floor(double(centre) - double(width)));
  const long long right = static_cast<long long>(std::ceil(double(centre) + double(width)));
  for (long long j = left; j <= right; ++j) {
    float weight;
    if (shrinking) {
      const float x = static_cast<float>((double(centre) - double(j)) / double(fscale));
      weight = static_cast<float>(double(filter(x)) / double(fscale));
    } else {
      weight = filter(static_cast<float>(double(centre) - double(j)));
    }
    if (weight != 0.0f) taps.push_back({MirrorIntoSource(j, sourceLength), weight});
  }
  return taps;
}

// The unclamped channel sum: each step is sum + byte x weight rounded once to float.
template <typename ByteAt>
float ReferenceSum(const std::vector<ReferenceTap>& taps, ByteAt byteAt) {
  float sum = 0.0f;
  for (const ReferenceTap& t : taps)
    sum = std::fmaf(float(byteAt(t.index)), t.weight, sum);
  return sum;
}

inline std::uint8_t ReferenceByte(float sum) {
  if (sum > 255.0f) return 255;
  if (sum < 0.0f) return 0;
  return static_cast<std::uint8_t>(std::nearbyint(sum));  // default mode: ties to even
}

inline Bitmap24 ReferenceResample(const Bitmap24& source, int targetWidth, int targetHeight,
                                  FilterFunction filter, float support) {
  const int sw = source.width(), sh = source.height();
  Bitmap24 between(targetWidth, sh);
  for (int y = 0; y < sh; ++y) {
    for (int x = 0; x < targetWidth; ++x) {
      const auto taps = ReferenceTaps(sw, targetWidth, x, filter, support);
      for (int c = 0; c < 3; ++c) {
        between.row(y)[3 * x + c] =
            ReferenceByte(ReferenceSum(taps, [&](int j) { return source.row(y)[3 * j + c]; }));
      }
    }
  }
  Bitmap24 target(targetWidth, targetHeight);
  for (int y = 0; y < targetHeight; ++y) {
    for (int x = 0; x < targetWidth; ++x) {
      const auto taps = ReferenceTaps(sh, targetHeight, y, filter, support);
      for (int c = 0; c < 3; ++c) {
        target.row(y)[3 * x + c] =
            ReferenceByte(ReferenceSum(taps, [&](int j) { return between.row(j)[3 * x + c]; }));
      }
    }
  }
  return target;
}

}  // namespace pixtrel::test
