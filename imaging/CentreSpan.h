#pragma once
// The pixel-centre geometry of a Lanczos3 resample, shared by the 8-bit and 16-bit resamplers so
// that both read the same source pixels for each output pixel: output i stands for the source's
// span [i * scale, (i + 1) * scale), and a downscale widens the filter by the scale.
#include <algorithm>
#include <cmath>

namespace pixtrel {

struct CentreSpan {
  double centre = 0;       // in source pixels
  double filterScale = 1;  // the filter's widening, at least 1
  int first = 0, end = 0;  // the source positions read, [first, end)
};

// The Lanczos3 kernel, in double precision.
inline double CentreLanczos3(double x) {
  constexpr double kPi = 3.14159265358979323846;
  x = std::fabs(x);
  if (x >= 3) return 0;
  if (x < 1e-9) return 1;
  const double px = kPi * x;
  return 3 * std::sin(px) * std::sin(px / 3) / (px * px);
}

// The weight of source position k for the span: the kernel at its distance, widened.
inline double CentreWeight(const CentreSpan& span, int k) {
  return CentreLanczos3((k - span.centre + 0.5) / span.filterScale);
}

inline CentreSpan CentreSpanOf(int i, int inSize, int outSize) {
  const double scale = static_cast<double>(inSize) / outSize;
  CentreSpan span;
  span.filterScale = std::max(scale, 1.0);
  const double support = 3 * span.filterScale;
  span.centre = (i + 0.5) * scale;
  span.first = std::max(0, static_cast<int>(span.centre - support + 0.5));
  span.end = std::min(inSize, static_cast<int>(span.centre + support + 0.5));
  return span;
}

}  // namespace pixtrel
