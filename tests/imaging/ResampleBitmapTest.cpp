// The resampler's worked examples, its errors, and the sizes where it had to choose a behaviour.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "concurrency/ParallelFor.h"
#include "core/Errors.h"
#include "core/PaletteBitmap.h"
#include "imaging/Kernels.h"
#include "imaging/ResampleBitmap.h"
#include "imaging/TapLists.h"
#include "tests/imaging/ResampleReference.h"
#include "tests/support/TestSupport.h"

namespace pixtrel {
namespace {

using test::PixelAt;

Bitmap24 Grey(int width, int height, const std::vector<std::uint8_t>& values) {
  Bitmap24 b(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::fill_n(b.row(y) + 3 * x, 3, values[static_cast<std::size_t>(y) * width + x]);
    }
  }
  return b;
}

std::vector<std::uint8_t> GreyValues(const Bitmap24& b) {
  std::vector<std::uint8_t> v;
  for (int y = 0; y < b.height(); ++y) {
    for (int x = 0; x < b.width(); ++x) {
      const auto p = PixelAt(b, x, y);
      EXPECT_TRUE(p.b == p.g && p.g == p.r) << "channels differ at " << x << "," << y;
      v.push_back(p.b);
    }
  }
  return v;
}

// Runs each test on both code paths.
class Resample : public ::testing::TestWithParam<KernelChoice> {
 protected:
  void SetUp() override { SetKernelChoice(GetParam()); }
  void TearDown() override { SetKernelChoice(KernelChoice::Fastest); }
};

TEST_P(Resample, BoxShrinkAveragesMirroredNeighbours) {
  const Bitmap24 source = Grey(4, 2, {0, 3, 6, 9, 0, 3, 6, 9});
  Bitmap24 target(2, 2);
  ResampleBitmap(source, target, FilterTable[0].function, FilterTable[0].support);
  EXPECT_EQ(GreyValues(target), (std::vector<std::uint8_t>{2, 8, 2, 8}));
}

TEST_P(Resample, Lanczos3AtTheSameSizeGivesTheSourceBack) {
  const Bitmap24 source = test::TestPattern(37, 23, 5);
  Bitmap24 target(37, 23, 0);
  ResampleBitmap(source, target, Lanczos3Entry().function, Lanczos3Entry().support);
  EXPECT_TRUE(SamePixels(source, target));
}

TEST_P(Resample, HardEdgeOvershootIsClampedNotWrapped) {
  // Black left half, white right half, widened (rows kept, so the second pass copies them): the
  // sums next to the edge leave 0..255.
  const int sw = 8, sh = 6, dw = 31;
  std::vector<std::uint8_t> values;
  for (int y = 0; y < sh; ++y) {
    for (int x = 0; x < sw; ++x)
      values.push_back(x < sw / 2 ? 0 : 255);
  }
  const Bitmap24 source = Grey(sw, sh, values);
  Bitmap24 target(dw, sh);
  ResampleBitmap(source, target, Lanczos3Entry().function, Lanczos3Entry().support);

  bool below = false, above = false;
  for (int x = 0; x < dw; ++x) {
    // The unclamped sum, from the reference.
    const auto taps = test::ReferenceTaps(sw, dw, x, Lanczos3Filter, 3.0f);
    const float sum = test::ReferenceSum(taps, [&](int j) { return source.row(0)[3 * j]; });
    const std::uint8_t got = PixelAt(target, x, sh / 2).b;
    if (sum < 0) {
      below = true;
      EXPECT_EQ(got, 0) << "column " << x;
    }
    if (sum > 255) {
      above = true;
      EXPECT_EQ(got, 255) << "column " << x;
    }
    // Wrapped values would show as bright pixels on the dark side and dark ones on the bright.
    if (x < dw / 2 - 2) {
      EXPECT_LE(got, 12) << "column " << x;
    }
    if (x > dw / 2 + 2) {
      EXPECT_GE(got, 243) << "column " << x;
    }
  }
  EXPECT_TRUE(below);
  EXPECT_TRUE(above);
}

TEST_P(Resample, SingleColumnSourceRepeatsWithScaleDOverS) {
  const Bitmap24 source = Grey(1, 2, {40, 200});
  Bitmap24 target(3, 2);
  ResampleBitmap(source, target, FilterTable[0].function, FilterTable[0].support);
  EXPECT_EQ(GreyValues(target), (std::vector<std::uint8_t>{40, 40, 40, 200, 200, 200}));
}

TEST_P(Resample, EmptySourceFailsAndTouchesNothing) {
  for (auto [w, h] : {std::pair{0, 5}, std::pair{5, 0}, std::pair{0, 0}}) {
    Bitmap24 target(3, 3, 17);
    Raster source = PaletteBitmap(w, h, 8, {{1, 2, 3}});
    try {
      ResampleBitmap(source, target, Lanczos3Filter, 3.0f);
      ADD_FAILURE() << "no error for " << w << "x" << h;
    } catch (const Exception& e) {
      EXPECT_STREQ(e.what(), "Source bitmap too small");
    }
    EXPECT_TRUE(std::holds_alternative<PaletteBitmap>(source));
    EXPECT_TRUE(SamePixels(target, Bitmap24(3, 3, 17)));
    EXPECT_THROW(ResampleBitmap(Bitmap24(w, h), target, Lanczos3Filter, 3.0f), Exception);
  }
}

TEST_P(Resample, PaletteSourceIsExpandedInPlace) {
  PaletteBitmap palette(9, 7, 8, {{255, 0, 0}, {0, 128, 255}, {10, 20, 30}});
  for (std::size_t i = 0; i < palette.pixelCount(); ++i)
    palette.data()[i] = (i * 7 % 11) % 3;
  const Bitmap24 expanded = ExpandToBitmap24(palette);
  Raster source = palette;
  Bitmap24 target(5, 12);
  ResampleBitmap(source, target, Lanczos3Filter, 3.0f);
  ASSERT_TRUE(std::holds_alternative<Bitmap24>(source));
  EXPECT_TRUE(SamePixels(std::get<Bitmap24>(source), expanded));
  Bitmap24 direct(5, 12);
  ResampleBitmap(expanded, direct, Lanczos3Filter, 3.0f);
  EXPECT_TRUE(SamePixels(target, direct));
}

TEST_P(Resample, OnePixelSidesGiveSensibleResults) {
  // Single rows and columns, and a single target pixel from a longer side, with every filter.
  // Weights are not normalised, but in these directions (one pixel on either side, or
  // enlarging) every filter's weights sum to about 1, so a flat colour stays flat.
  const std::pair<int, int> directions[] = {{1, 1}, {1, 6},  {6, 1}, {2, 1},
                                            {1, 2}, {50, 1}, {3, 40}};
  for (const FilterEntry& f : FilterTable) {
    for (auto [sw, dw] : directions) {
      for (auto [sh, dh] : directions) {
        Bitmap24 source(sw, sh);
        for (int y = 0; y < sh; ++y) {
          for (int x = 0; x < sw; ++x)
            std::copy_n("\x50\xA0\x14", 3, source.row(y) + 3 * x);
        }
        Bitmap24 target(dw, dh, 0);
        ResampleBitmap(source, target, f.function, f.support);
        for (int y = 0; y < dh; ++y) {
          for (int x = 0; x < dw; ++x) {
            const auto p = PixelAt(target, x, y);
            ASSERT_NEAR(p.b, 0x50, 2)
                << f.name << " " << sw << "x" << sh << "->" << dw << "x" << dh;
            ASSERT_NEAR(p.g, 0xA0, 2)
                << f.name << " " << sw << "x" << sh << "->" << dw << "x" << dh;
            ASSERT_NEAR(p.r, 0x14, 2)
                << f.name << " " << sw << "x" << sh << "->" << dw << "x" << dh;
          }
        }
      }
    }
  }
}

TEST_P(Resample, SingleTargetPixelStandsForTheWholeLine) {
  // A ramp from 0 to 250 across 11 pixels: one pixel from it is the ramp's middle, not its end.
  std::vector<std::uint8_t> ramp;
  for (int x = 0; x <= 10; ++x)
    ramp.push_back(static_cast<std::uint8_t>(25 * x));
  Bitmap24 target(1, 1);
  ResampleBitmap(Grey(11, 1, ramp), target, Lanczos3Filter, 3.0f);
  EXPECT_NEAR(PixelAt(target, 0, 0).b, 125, 3);
  ResampleBitmap(Grey(1, 11, ramp), target, FilterTable[1].function, FilterTable[1].support);
  EXPECT_NEAR(PixelAt(target, 0, 0).b, 125, 3);
}

TEST_P(Resample, SourceMayBeTheTarget) {
  Bitmap24 picture = test::TestPattern(30, 20, 3);
  const Bitmap24 original = picture;
  Bitmap24 expected(30, 20);
  ResampleBitmap(original, expected, FilterTable[4].function, FilterTable[4].support);
  ResampleBitmap(picture, picture, FilterTable[4].function, FilterTable[4].support);
  EXPECT_TRUE(SamePixels(picture, expected));
}

TEST_P(Resample, EmptyTargetIsLeftEmpty) {
  Bitmap24 target(0, 4);
  ResampleBitmap(test::TestPattern(5, 5), target, Lanczos3Filter, 3.0f);
  EXPECT_EQ(target.width(), 0);
  EXPECT_EQ(target.height(), 4);
}

TEST_P(Resample, SupportThatIsNoRadiusIsRefused) {
  const Bitmap24 source = test::TestPattern(5, 5);
  Bitmap24 target(3, 3, 9);
  for (float support : {std::nanf(""), INFINITY, -1.0f}) {
    try {
      ResampleBitmap(source, target, Lanczos3Filter, support);
      ADD_FAILURE() << "accepted support " << support;
    } catch (const Exception& e) {
      EXPECT_STREQ(e.what(), "Invalid floating point operation");
    }
  }
  EXPECT_TRUE(SamePixels(target, Bitmap24(3, 3, 9)));
  // An absurd radius is refused as too much memory instead of being attempted.
  EXPECT_THROW(ResampleBitmap(source, target, Lanczos3Filter, 1e12f), std::bad_alloc);
}

TEST_P(Resample, IntermediateBeyondThePictureLimitIsRefused) {
  // One column to one row: the rows-first intermediate would be 65500 x 65500 pixels.
  const Bitmap24 source(1, 65500, 40);
  Bitmap24 target(65500, 1, 9);
  try {
    ResampleBitmap(source, target, Lanczos3Filter, 3.0f);
    ADD_FAILURE() << "no error";
  } catch (const Exception& e) {
    EXPECT_NE(std::string(e.what()).find("Picture too large"), std::string::npos) << e.what();
  }
  EXPECT_TRUE(SamePixels(target, Bitmap24(65500, 1, 9)));
}

INSTANTIATE_TEST_SUITE_P(CodePaths, Resample,
                         ::testing::Values(KernelChoice::Fastest, KernelChoice::Portable),
                         [](const auto& info) {
                           return info.param == KernelChoice::Fastest ? std::string("Fastest")
                                                                      : std::string("Portable");
                         });

TEST(TapLists, ScaleRuleAndMirroring) {
  EXPECT_EQ(ScaleFactor(4, 2), static_cast<float>(1.0 / 3.0));
  EXPECT_EQ(ScaleFactor(1, 3), 3.0f);
  EXPECT_EQ(ScaleFactor(10, 1), 0.1f);
  EXPECT_EQ(ScaleFactor(3, 5), 2.0f);
  // One mirror step as defined, and further steps for taps beyond a whole length.
  EXPECT_EQ(ReflectIndex(-1, 5), 1);
  EXPECT_EQ(ReflectIndex(5, 5), 4);
  EXPECT_EQ(ReflectIndex(9, 5), 0);
  for (int length : {1, 2, 3, 7}) {
    for (long long j = -40; j <= 40; ++j) {
      EXPECT_EQ(ReflectIndex(j, length), test::MirrorIntoSource(j, length))
          << j << " in " << length;
    }
  }
}

TEST(TapLists, ZeroWeightsAreNotStoredAndListsAreShared) {
  // Box at scale 1: each list holds exactly one tap of weight 1 on its own pixel.
  const TapLists lists(6, 6, BoxFilter, 0.5f);
  ASSERT_EQ(lists.size(), 6);
  for (int i = 0; i < 6; ++i) {
    ASSERT_EQ(lists[i].count, 1);
    EXPECT_EQ(lists[i].taps[0].index, i);
    EXPECT_EQ(lists[i].taps[0].weight, 1.0f);
  }
  // Lanczos3 shrinking 4:1: never more taps than trunc(2 x width + 1), all in range.
  const TapLists shrink(400, 100, Lanczos3Filter, 3.0f);
  const float width = static_cast<float>(3.0 / ScaleFactor(400, 100));
  for (int i = 0; i < shrink.size(); ++i) {
    EXPECT_LE(shrink[i].count, static_cast<int>(2 * width + 1));
    for (int k = 0; k < shrink[i].count; ++k) {
      EXPECT_NE(shrink[i].taps[k].weight, 0.0f);
      EXPECT_GE(shrink[i].taps[k].index, 0);
      EXPECT_LT(shrink[i].taps[k].index, 400);
    }
  }
}

TEST(ResampleThreads, ResultDoesNotDependOnTheThreadCount) {
  const Bitmap24 source = test::TestPattern(640, 480, 11);
  Bitmap24 one(333, 250), two(333, 250), three(333, 250);
  SetWorkerThreadLimit(1);
  ResampleBitmap(source, one, Lanczos3Filter, 3.0f);
  SetWorkerThreadLimit(2);
  ResampleBitmap(source, two, Lanczos3Filter, 3.0f);
  SetWorkerThreadLimit(3);
  ResampleBitmap(source, three, Lanczos3Filter, 3.0f);
  SetWorkerThreadLimit(0);
  EXPECT_TRUE(SamePixels(one, two));
  EXPECT_TRUE(SamePixels(one, three));
}

}  // namespace
}  // namespace pixtrel
