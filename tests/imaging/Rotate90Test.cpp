// Quarter-turn rotation: the mapping of every quarter, its errors, and an independent check with
// PIL's own rotation.
#include <gtest/gtest.h>

#include <fstream>

#include "concurrency/ParallelFor.h"
#include "core/Errors.h"
#include "core/PaletteBitmap.h"
#include "imaging/Kernels.h"
#include "imaging/Rotate90.h"
#include "tests/support/TestSupport.h"

namespace pixtrel {
namespace {

using test::Bgr;
using test::PixelAt;

// Pixel at column x, row y of the result for the given quarter, straight from the table.
Bgr Expected(const Bitmap24& source, int quarter, int rx, int ry) {
  const int w = source.width(), h = source.height();
  switch (quarter) {
    case 0:
      return PixelAt(source, rx, ry);
    case 1:
      return PixelAt(source, w - 1 - ry, rx);
    case 2:
      return PixelAt(source, w - 1 - rx, h - 1 - ry);
    default:
      return PixelAt(source, ry, h - 1 - rx);
  }
}

void ExpectTurned(const Bitmap24& source, int angle, int quarter) {
  const Bitmap24 result = Rotate90(angle, Raster(source));
  const bool swapped = quarter % 2 == 1;
  ASSERT_EQ(result.width(), swapped ? source.height() : source.width()) << angle;
  ASSERT_EQ(result.height(), swapped ? source.width() : source.height()) << angle;
  for (int y = 0; y < result.height(); ++y) {
    for (int x = 0; x < result.width(); ++x) {
      ASSERT_EQ(PixelAt(result, x, y), Expected(source, quarter, x, y))
          << "angle " << angle << " at " << x << "," << y;
    }
    // Row padding of a turned raster is cleared, never left as stale memory.
    if (quarter == 0) continue;
    for (std::size_t b = 3 * static_cast<std::size_t>(result.width()); b < result.stride(); ++b) {
      ASSERT_EQ(result.row(y)[b], 0);
    }
  }
}

TEST(Rotate90, ThreeByTwoCorners) {
  const Bitmap24 source = test::TestPattern(3, 2, 4);
  const Bitmap24 left = Rotate90(90, Raster(source));
  ASSERT_EQ(left.width(), 2);
  ASSERT_EQ(left.height(), 3);
  EXPECT_EQ(PixelAt(left, 0, 0), PixelAt(source, 2, 0));  // top-right becomes top-left
  EXPECT_EQ(PixelAt(left, 0, 2), PixelAt(source, 0, 0));  // top-left becomes bottom-left

  const Bitmap24 right = Rotate90(270, Raster(source));
  ASSERT_EQ(right.width(), 2);
  EXPECT_EQ(PixelAt(right, 1, 0), PixelAt(source, 0, 0));
  EXPECT_EQ(PixelAt(right, 0, 0), PixelAt(source, 0, 1));

  const Bitmap24 half = Rotate90(180, Raster(source));
  ASSERT_EQ(half.width(), 3);
  EXPECT_EQ(PixelAt(half, 0, 0), PixelAt(source, 2, 1));
  EXPECT_EQ(PixelAt(half, 2, 1), PixelAt(source, 0, 0));
}

// The quarter turns on both copy paths.
class Turn : public ::testing::TestWithParam<KernelChoice> {
 protected:
  void SetUp() override { SetKernelChoice(GetParam()); }
  void TearDown() override {
    SetKernelChoice(KernelChoice::Fastest);
    SetWorkerThreadLimit(0);
  }
};

TEST_P(Turn, EveryQuarterAndEquivalentAngles) {
  // Odd sizes across several copy tiles and blocks, large enough to be split between threads.
  const Bitmap24 source = test::TestPattern(331, 203, 8);
  for (int threads : {1, 2}) {
    SetWorkerThreadLimit(threads);
    for (auto [angle, quarter] : {std::pair{0, 0},
                                  {90, 1},
                                  {180, 2},
                                  {270, 3},
                                  {360, 0},
                                  {450, 1},
                                  {-90, 3},
                                  {-180, 2},
                                  {-270, 1},
                                  {-360, 0}}) {
      ExpectTurned(source, angle, quarter);
    }
  }
  const Bitmap24 wide = test::TestPattern(1500, 3, 2);
  for (int angle : {90, 180, 270})
    ExpectTurned(wide, angle, angle / 90);
  // Every remainder of the 8-pixel blocks and 32-pixel tiles in both directions.
  for (int w = 1; w <= 41; w += 4) {
    for (int h : {1, 7, 8, 9, 16, 33, 40}) {
      const Bitmap24 small = test::TestPattern(w, h, w * 100 + h);
      for (int angle : {90, 270})
        ExpectTurned(small, angle, angle / 90);
    }
  }
}

TEST_P(Turn, OnePixelAndOneLine) {
  const Bitmap24 dot = test::TestPattern(1, 1, 6);
  for (int angle : {0, 90, 180, 270, 360, -90})
    ExpectTurned(dot, angle, ((angle / 90) % 4 + 4) % 4);
  const Bitmap24 line = test::TestPattern(7, 1, 6);
  for (int angle : {90, 180, 270})
    ExpectTurned(line, angle, angle / 90);
  // A raster without pixels turns into one without pixels.
  const Bitmap24 turned = Rotate90(90, Raster(Bitmap24(0, 5)));
  EXPECT_EQ(turned.width(), 5);
  EXPECT_EQ(turned.height(), 0);
}

INSTANTIATE_TEST_SUITE_P(CopyPaths, Turn,
                         ::testing::Values(KernelChoice::Fastest, KernelChoice::Portable),
                         [](const auto& info) {
                           return info.param == KernelChoice::Fastest ? std::string("Fastest")
                                                                      : std::string("Portable");
                         });

TEST(Rotate90, Errors) {
  const Bitmap24 source = test::TestPattern(4, 3);
  for (int angle : {45, 1, 91, -45, 2147483647, -2147483647 - 1}) {
    try {
      Rotate90(angle, Raster(source));
      ADD_FAILURE() << "accepted angle " << angle;
    } catch (const EBitmapError& e) {
      EXPECT_STREQ(e.what(), "Rotate90:  Angle not positive multiple of 90 degrees");
    }
  }
  const Raster palette = PaletteBitmap(4, 3, 8, {{1, 2, 3}});
  for (int angle : {90, 45}) {
    try {
      Rotate90(angle, palette);
      ADD_FAILURE() << "accepted a palette raster";
    } catch (const EBitmapError& e) {
      EXPECT_STREQ(e.what(), "Can Rotate90 only 24-bit bitmap");
    }
  }
}

TEST(Rotate90, SourceIsUnchanged) {
  const Bitmap24 source = test::TestPattern(40, 30, 3);
  const Raster raster = source;
  for (int angle : {90, 180, 270})
    Rotate90(angle, raster);
  EXPECT_TRUE(SamePixels(std::get<Bitmap24>(raster), source));
}

TEST(Rotate90, AgreesWithPil) {
  if (!test::PythonWithPil()) PIXTREL_SKIP_MISSING_TOOL() << "Python with PIL";
  test::TempFolder folder;
  const Bitmap24 source = test::TestPattern(67, 41, 9);
  {
    std::ofstream ppm(folder / "in.ppm", std::ios::binary);
    ppm << "P6\n" << source.width() << " " << source.height() << "\n255\n";
    for (int y = 0; y < source.height(); ++y) {
      for (int x = 0; x < source.width(); ++x) {
        const Bgr p = PixelAt(source, x, y);
        ppm.put(static_cast<char>(p.r)).put(static_cast<char>(p.g)).put(static_cast<char>(p.b));
      }
    }
  }
  // PIL's ROTATE_90 is counter-clockwise, like angle 90.
  for (auto [angle, method] :
       {std::pair{90, "ROTATE_90"}, {180, "ROTATE_180"}, {270, "ROTATE_270"}}) {
    const auto out = folder / ("out" + std::to_string(angle) + ".ppm");
    const auto run =
        test::RunPython(std::string("import sys\nfrom PIL import Image\n"
                                    "Image.open(sys.argv[1]).transpose(Image.Transpose.") +
                            method + ").save(sys.argv[2])\n",
                        {(folder / "in.ppm").string(), out.string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto pil = test::ReadWithPil(out);
    ASSERT_TRUE(pil);
    const Bitmap24 ours = Rotate90(angle, Raster(source));
    ASSERT_EQ(pil->width, ours.width());
    ASSERT_EQ(pil->height, ours.height());
    for (int y = 0; y < ours.height(); ++y) {
      for (int x = 0; x < ours.width(); ++x) {
        const std::size_t i = 3 * (static_cast<std::size_t>(y) * ours.width() + x);
        const Bgr p = PixelAt(ours, x, y);
        ASSERT_EQ((Bgr{pil->rgb[i + 2], pil->rgb[i + 1], pil->rgb[i]}), p)
            << "angle " << angle << " at " << x << "," << y;
      }
    }
  }
}

}  // namespace
}  // namespace pixtrel
