// The pixel-centre Lanczos3: its vector and portable loops give the same bytes, and both stay
// within rounding of the filter computed in double precision without intermediate rounding.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "concurrency/ParallelFor.h"
#include "imaging/CentreResample.h"
#include "imaging/Kernels.h"
#include "tests/support/TestSupport.h"

namespace pixtrel {
namespace {

double Lanczos3(double x) {
  x = std::fabs(x);
  if (x >= 3) return 0;
  if (x < 1e-12) return 1;
  const double px = 3.14159265358979323846 * x;
  return 3 * std::sin(px) * std::sin(px / 3) / (px * px);
}

// Normalised weights of every source position for each output position, the output pixel i
// standing for the source span [i * scale, (i + 1) * scale).
std::vector<std::vector<double>> Weights(int in, int out) {
  const double scale = static_cast<double>(in) / out;
  const double stretch = std::max(scale, 1.0);
  std::vector<std::vector<double>> all(out, std::vector<double>(in, 0));
  for (int i = 0; i < out; ++i) {
    double sum = 0;
    for (int j = 0; j < in; ++j)
      sum += all[i][j] = Lanczos3((j + 0.5 - (i + 0.5) * scale) / stretch);
    for (double& w : all[i])
      w /= sum;
  }
  return all;
}

// The separable filter in double precision: down the columns, clamped to the 8-bit range but
// not rounded, then across the rows, rounded once.
Bitmap24 Reference(const Bitmap24& source, int width, int height) {
  const auto across = Weights(source.width(), width);
  const auto down = Weights(source.height(), height);
  const int rowSize = 3 * source.width();
  std::vector<double> columns(static_cast<std::size_t>(height) * rowSize, 0);
  for (int y = 0; y < height; ++y) {
    for (int i = 0; i < rowSize; ++i) {
      double v = 0;
      for (int sy = 0; sy < source.height(); ++sy)
        v += down[y][sy] * source.row(sy)[i];
      columns[static_cast<std::size_t>(y) * rowSize + i] = std::clamp(v, 0.0, 255.0);
    }
  }
  Bitmap24 result(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      for (int c = 0; c < 3; ++c) {
        double v = 0;
        for (int sx = 0; sx < source.width(); ++sx)
          v += across[x][sx] * columns[static_cast<std::size_t>(y) * rowSize + 3 * sx + c];
        result.row(y)[3 * x + c] = static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L));
      }
    }
  }
  return result;
}

// Hard black and white stripes across noise: overshoots below 0 and above 255 to clamp.
Bitmap24 Harsh(int width, int height) {
  Bitmap24 picture = test::TestPattern(width, height, 5);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; x += 7) {
      std::fill_n(picture.row(y) + 3 * x, 3 * std::min(3, width - x), (x / 7) % 2 ? 255 : 0);
    }
  }
  return picture;
}

class CentreResampling : public ::testing::TestWithParam<KernelChoice> {
 protected:
  void SetUp() override { SetKernelChoice(GetParam()); }
  void TearDown() override {
    SetKernelChoice(KernelChoice::Fastest);
    SetWorkerThreadLimit(0);
  }
};

TEST_P(CentreResampling, WithinRoundingOfTheExactFilter) {
  // Rows narrower than one vector block, rows ending in part of a block, down and up.
  const Bitmap24 source = Harsh(97, 61);
  for (auto [w, h] : {std::pair{31, 20}, {48, 30}, {9, 7}, {97, 23}, {150, 90}, {4, 61}}) {
    SCOPED_TRACE(testing::Message() << w << "x" << h);
    const Bitmap24 got = CentreResample(source, w, h);
    const Bitmap24 want = Reference(source, w, h);
    ASSERT_EQ(got.width(), w);
    ASSERT_EQ(got.height(), h);
    int worst = 0;
    for (int y = 0; y < h; ++y) {
      for (int i = 0; i < 3 * w; ++i)
        worst = std::max(worst, std::abs(got.row(y)[i] - want.row(y)[i]));
    }
    // Two roundings to 8 bits, the first one carried through the second pass's weights.
    EXPECT_LE(worst, 2);
  }
}

TEST_P(CentreResampling, FlatColourStaysFlat) {
  const Bitmap24 flat(123, 77, 200);
  const Bitmap24 small = CentreResample(flat, 40, 25);
  for (int y = 0; y < small.height(); ++y) {
    for (int i = 0; i < 3 * small.width(); ++i)
      ASSERT_EQ(small.row(y)[i], 200);
  }
}

INSTANTIATE_TEST_SUITE_P(Loops, CentreResampling,
                         ::testing::Values(KernelChoice::Fastest, KernelChoice::Portable));

// Both loops and any number of threads: the same bytes, on a picture large enough to be split.
TEST(CentreResample, SameBytesFromEveryLoopAndThreadCount) {
  const Bitmap24 source = Harsh(1203, 517);
  for (auto [w, h] : {std::pair{301, 129}, {800, 344}, {1500, 700}}) {
    SetKernelChoice(KernelChoice::Portable);
    SetWorkerThreadLimit(1);
    const Bitmap24 portable = CentreResample(source, w, h);
    SetKernelChoice(KernelChoice::Fastest);
    SetWorkerThreadLimit(0);
    EXPECT_TRUE(SamePixels(CentreResample(source, w, h), portable)) << w << "x" << h;
  }
}

}  // namespace
}  // namespace pixtrel
