#include "imaging/CentreResample.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "concurrency/ParallelFor.h"

namespace pixtrel {
namespace {

constexpr double kPi = 3.14159265358979323846;

double Lanczos3(double x) {
  x = std::fabs(x);
  if (x >= 3) return 0;
  if (x < 1e-9) return 1;
  const double px = kPi * x;
  return 3 * std::sin(px) * std::sin(px / 3) / (px * px);
}

// For each output position, the first source position it reads and its weights, in fixed point
// (14 bits) so the passes add integers.
struct Taps {
  std::vector<int> first;
  std::vector<int> count;
  std::vector<int> weights;  // count[i] weights for output i, from i * stride
  int stride = 0;
};

constexpr int kShift = 14;

Taps MakeTaps(int inSize, int outSize) {
  const double scale = static_cast<double>(inSize) / outSize;
  const double filterScale = std::max(scale, 1.0);
  const double support = 3 * filterScale;
  Taps taps;
  taps.stride = static_cast<int>(std::ceil(support)) * 2 + 1;
  taps.first.resize(outSize);
  taps.count.resize(outSize);
  taps.weights.assign(static_cast<std::size_t>(outSize) * taps.stride, 0);
  std::vector<double> w(taps.stride);
  for (int i = 0; i < outSize; ++i) {
    const double centre = (i + 0.5) * scale;
    const int lo = std::max(0, static_cast<int>(centre - support + 0.5));
    const int hi = std::min(inSize, static_cast<int>(centre + support + 0.5));
    const int n = std::min(hi - lo, taps.stride);
    double sum = 0;
    for (int k = 0; k < n; ++k) {
      w[k] = Lanczos3((lo + k - centre + 0.5) / filterScale);
      sum += w[k];
    }
    int* out = &taps.weights[static_cast<std::size_t>(i) * taps.stride];
    for (int k = 0; k < n; ++k)
      out[k] = static_cast<int>(std::lround(w[k] / (sum == 0 ? 1 : sum) * (1 << kShift)));
    taps.first[i] = lo;
    taps.count[i] = std::max(n, 0);
  }
  return taps;
}

std::uint8_t Clamp(int value) {
  const int rounded = (value + (1 << (kShift - 1))) >> kShift;
  return static_cast<std::uint8_t>(std::clamp(rounded, 0, 255));
}

}  // namespace

Bitmap24 CentreResample(const Bitmap24& source, int width, int height) {
  const int inWidth = source.width(), inHeight = source.height();
  const Taps across = MakeTaps(inWidth, width);
  const Taps down = MakeTaps(inHeight, height);
  // Columns first: a downscale leaves fewer rows for the slower pass across, and the pass down
  // adds whole rows, which the compiler vectorises.
  Bitmap24 columns = Bitmap24::Uninitialised(inWidth, height);
  const std::size_t rowBytes = static_cast<std::size_t>(inWidth) * 3;
  ParallelFor(height, 1, 16, [&](int y0, int y1) {
    std::vector<int> sums(rowBytes);
    for (int y = y0; y < y1; ++y) {
      std::fill(sums.begin(), sums.end(), 0);
      const int* w = &down.weights[static_cast<std::size_t>(y) * down.stride];
      int* sum = sums.data();
      int k = 0;
      // Two source rows a step: half the passes over the sums.
      // Weights and samples as 16-bit numbers with 32-bit products: the form the vector units
      // of every x86-64 multiply.
      for (; k + 1 < down.count[y]; k += 2) {
        const std::uint8_t* a = source.row(down.first[y] + k);
        const std::uint8_t* b = source.row(down.first[y] + k + 1);
        const std::int16_t wa = static_cast<std::int16_t>(w[k]);
        const std::int16_t wb = static_cast<std::int16_t>(w[k + 1]);
        for (std::size_t i = 0; i < rowBytes; ++i) {
          sum[i] += wa * static_cast<std::int16_t>(a[i]) + wb * static_cast<std::int16_t>(b[i]);
        }
      }
      if (k < down.count[y]) {
        const std::uint8_t* a = source.row(down.first[y] + k);
        const std::int16_t wa = static_cast<std::int16_t>(w[k]);
        for (std::size_t i = 0; i < rowBytes; ++i)
          sum[i] += wa * static_cast<std::int16_t>(a[i]);
      }
      std::uint8_t* out = columns.row(y);
      for (std::size_t i = 0; i < rowBytes; ++i)
        out[i] = Clamp(sums[i]);
    }
  });
  // Then every row to the new width.
  Bitmap24 target = Bitmap24::Uninitialised(width, height);
  ParallelFor(height, 1, 16, [&](int y0, int y1) {
    for (int y = y0; y < y1; ++y) {
      const std::uint8_t* in = columns.row(y);
      std::uint8_t* out = target.row(y);
      for (int x = 0; x < width; ++x) {
        const int* w = &across.weights[static_cast<std::size_t>(x) * across.stride];
        const std::uint8_t* p = in + static_cast<std::size_t>(across.first[x]) * 3;
        int b = 0, g = 0, r = 0;
        for (int k = 0; k < across.count[x]; ++k, p += 3) {
          b += w[k] * p[0];
          g += w[k] * p[1];
          r += w[k] * p[2];
        }
        out[3 * x] = Clamp(b);
        out[3 * x + 1] = Clamp(g);
        out[3 * x + 2] = Clamp(r);
      }
    }
  });
  return target;
}

}  // namespace pixtrel
