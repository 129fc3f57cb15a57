// The optimised resampler against the plain reference, byte for byte, on the vector and the
// portable code paths and with one or several threads.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "concurrency/ParallelFor.h"
#include "imaging/Kernels.h"
#include "imaging/ResampleBitmap.h"
#include "tests/imaging/ResampleReference.h"

namespace pixtrel {
namespace {

Bitmap24 RandomRaster(int width, int height, std::mt19937& random) {
  Bitmap24 b(width, height);
  // Mostly smooth with sharp steps and full-range noise, so sums land everywhere including
  // outside 0..255.
  std::uniform_int_distribution<int> byte(0, 255), kind(0, 9);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width * 3; ++x) {
      const int k = kind(random);
      b.row(y)[x] = static_cast<std::uint8_t>(k < 3   ? byte(random)
                                              : k < 6 ? (x * 7 + y * 13) % 256
                                                      : (k < 8 ? 0 : 255));
    }
  }
  return b;
}

std::string Describe(int sw, int sh, int dw, int dh, const FilterEntry& f) {
  return std::to_string(sw) + "x" + std::to_string(sh) + " -> " + std::to_string(dw) + "x" +
         std::to_string(dh) + " " + f.name;
}

// First differing byte, for a readable failure.
std::string FirstDifference(const Bitmap24& a, const Bitmap24& b) {
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width() * 3; ++x) {
      if (a.row(y)[x] != b.row(y)[x]) {
        return "at x=" + std::to_string(x / 3) + " y=" + std::to_string(y) + " channel " +
               std::to_string(x % 3) + ": " + std::to_string(a.row(y)[x]) + " vs " +
               std::to_string(b.row(y)[x]);
      }
    }
  }
  return "none";
}

class ResampleAgainstReference : public ::testing::TestWithParam<KernelChoice> {
 protected:
  void SetUp() override {
    SetKernelChoice(GetParam());
    if (GetParam() == KernelChoice::Fastest && !UseAvx2Kernels()) {
      GTEST_SKIP() << "this processor has no AVX2 with FMA";
    }
  }
  void TearDown() override {
    SetKernelChoice(KernelChoice::Fastest);
    SetWorkerThreadLimit(0);
  }

  void ExpectSame(const Bitmap24& source, int dw, int dh, const FilterEntry& f) {
    Bitmap24 target(dw, dh, 77);
    ResampleBitmap(source, target, f.function, f.support);
    const Bitmap24 expected = test::ReferenceResample(source, dw, dh, f.function, f.support);
    ASSERT_TRUE(SamePixels(target, expected))
        << Describe(source.width(), source.height(), dw, dh, f) << " first difference "
        << FirstDifference(target, expected);
  }
};

TEST_P(ResampleAgainstReference, EverySizeClassAndFilter) {
  // Lengths around the vector widths (8 and 32 bytes, 16-row blocks) and the tiny ones whose
  // taps reach beyond the mirrored source.
  const int lengths[] = {1, 2, 3, 4, 5, 6, 7, 11, 16, 17, 23, 33, 40};
  std::mt19937 random(12345);
  std::uniform_int_distribution<int> pick(0, std::size(lengths) - 1);
  for (const FilterEntry& f : FilterTable) {
    for (int round = 0; round < 40; ++round) {
      const int sw = lengths[pick(random)], sh = lengths[pick(random)];
      const int dw = lengths[pick(random)], dh = lengths[pick(random)];
      ExpectSame(RandomRaster(sw, sh, random), dw, dh, f);
    }
  }
}

TEST_P(ResampleAgainstReference, ShrinkingAndEnlargingEachDirection) {
  std::mt19937 random(777);
  const Bitmap24 source = RandomRaster(57, 41, random);
  const FilterEntry& lanczos = Lanczos3Entry();
  ExpectSame(source, 19, 41, lanczos);   // narrower only
  ExpectSame(source, 57, 13, lanczos);   // lower only
  ExpectSame(source, 130, 41, lanczos);  // wider only
  ExpectSame(source, 57, 97, lanczos);   // taller only
  ExpectSame(source, 20, 90, lanczos);   // narrower and taller
  ExpectSame(source, 101, 9, lanczos);   // wider and lower
  ExpectSame(source, 1, 1, lanczos);
  ExpectSame(source, 57, 41, lanczos);
  for (const FilterEntry& f : FilterTable)
    ExpectSame(source, 29, 70, f);
}

TEST_P(ResampleAgainstReference, LargeRastersSplitBetweenThreads) {
  std::mt19937 random(99);
  const Bitmap24 source = RandomRaster(301, 187, random);
  for (int threads : {1, 2, 3}) {
    SetWorkerThreadLimit(threads);
    ExpectSame(source, 151, 94, Lanczos3Entry());
    ExpectSame(source, 410, 250, Lanczos3Entry());
    ExpectSame(source, 64, 300, FilterTable[6]);
  }
}

INSTANTIATE_TEST_SUITE_P(CodePaths, ResampleAgainstReference,
                         ::testing::Values(KernelChoice::Fastest, KernelChoice::Portable),
                         [](const auto& info) {
                           return info.param == KernelChoice::Fastest ? std::string("Vector")
                                                                      : std::string("Portable");
                         });

}  // namespace
}  // namespace pixtrel
