// Quarter turns of a colour-index raster: indices land where Rotate90 puts pixels, the colour
// table and bits per pixel stay, and bad angles fail as Rotate90's do.
#include <gtest/gtest.h>

#include "core/Errors.h"
#include "core/FastStretch.h"
#include "core/PaletteBitmap.h"
#include "imaging/PaletteCoverage.h"
#include "imaging/Rotate90.h"
#include "imaging/RotatePalette.h"
#include "imaging/StretchPalette.h"
#include "tests/support/TestSupport.h"

namespace pixtrel {
namespace {

// A w x h raster whose indices are all different where possible, over a table of 256 colours.
PaletteBitmap Numbered(int w, int h) {
  std::vector<Rgb> table;
  for (int i = 0; i < 256; ++i)
    table.push_back(Rgb{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                        static_cast<std::uint8_t>(i * 7)});
  PaletteBitmap bitmap(w, h, 8, table);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      bitmap.row(y)[x] = static_cast<std::uint8_t>((y * w + x) * 37 % 256);
  return bitmap;
}

std::vector<std::uint8_t> Indices(const PaletteBitmap& b) {
  return std::vector<std::uint8_t>(b.data(), b.data() + b.pixelCount());
}

TEST(RotatePalette, ThreeByTwoCornersLandAsRotate90PutsThem) {
  PaletteBitmap source(3, 2, 8, {Rgb{1, 2, 3}, Rgb{4, 5, 6}});
  const std::uint8_t values[6] = {10, 11, 12, 20, 21, 22};  // top row, then bottom row
  for (int i = 0; i < 6; ++i)
    source.row(i / 3)[i % 3] = values[i];

  const PaletteBitmap left = RotatePalette(90, source);
  ASSERT_EQ(left.width(), 2);
  ASSERT_EQ(left.height(), 3);
  EXPECT_EQ(left.row(0)[0], 12);  // the top-right pixel comes to the top left
  EXPECT_EQ(left.row(2)[0], 10);  // the top-left pixel to the bottom left
  EXPECT_EQ(Indices(left), (std::vector<std::uint8_t>{12, 22, 11, 21, 10, 20}));

  const PaletteBitmap right = RotatePalette(270, source);
  EXPECT_EQ(Indices(right), (std::vector<std::uint8_t>{20, 10, 21, 11, 22, 12}));
  const PaletteBitmap half = RotatePalette(180, source);
  ASSERT_EQ(half.width(), 3);
  EXPECT_EQ(Indices(half), (std::vector<std::uint8_t>{22, 21, 20, 12, 11, 10}));
  EXPECT_EQ(Indices(RotatePalette(0, source)), Indices(source));
  EXPECT_EQ(Indices(RotatePalette(360, source)), Indices(source));
  EXPECT_EQ(Indices(RotatePalette(450, source)), Indices(left));
  EXPECT_EQ(half.palette(), source.palette());
}

TEST(RotatePalette, MatchesRotate90OfTheExpandedPictureForEveryQuarter) {
  const PaletteBitmap source = Numbered(37, 23);
  for (int angle : {0, 90, 180, 270, -90}) {
    const PaletteBitmap turned = RotatePalette(angle, source);
    EXPECT_EQ(turned.palette(), source.palette()) << angle;
    EXPECT_EQ(turned.bitsPerPixel(), source.bitsPerPixel());
    const Bitmap24 expected = Rotate90(angle, ExpandToBitmap24(source));
    const Bitmap24 got = ExpandToBitmap24(turned);
    ASSERT_EQ(got.width(), expected.width()) << angle;
    ASSERT_EQ(got.height(), expected.height()) << angle;
    for (int y = 0; y < got.height(); ++y)
      for (int x = 0; x < got.width(); ++x)
        ASSERT_EQ(test::PixelAt(got, x, y), test::PixelAt(expected, x, y))
            << angle << " at " << x << "," << y;
  }
}

TEST(RotatePalette, FourQuarterTurnsGiveTheSourceBack) {
  const PaletteBitmap source = Numbered(5, 9);
  PaletteBitmap turned = source;
  for (int i = 0; i < 4; ++i)
    turned = RotatePalette(90, turned);
  EXPECT_EQ(Indices(turned), Indices(source));
}

TEST(RotatePalette, BadAnglesFailBeforeAnythingIsMade) {
  const PaletteBitmap source = Numbered(4, 3);
  try {
    RotatePalette(45, source);
    FAIL() << "45 degrees accepted";
  } catch (const EBitmapError& error) {
    EXPECT_STREQ(error.what(), "Rotate90:  Angle not positive multiple of 90 degrees");
  }
}

TEST(RotatePalette, OneByOneAndEmptyRasters) {
  PaletteBitmap one(1, 1, 4, {Rgb{9, 9, 9}});
  for (int angle : {0, 90, 180, 270}) {
    const PaletteBitmap turned = RotatePalette(angle, one);
    EXPECT_EQ(turned.width(), 1);
    EXPECT_EQ(turned.height(), 1);
    EXPECT_EQ(turned.bitsPerPixel(), 4);
  }
  const PaletteBitmap empty = RotatePalette(90, PaletteBitmap(0, 5, 8, {}));
  EXPECT_EQ(empty.width(), 5);
  EXPECT_EQ(empty.height(), 0);
}

TEST(StretchPalette, PicksTheIndicesFastStretchPicksAndKeepsTheTable) {
  const PaletteBitmap source = Numbered(9, 7);
  for (const auto& [w, h] : std::vector<std::pair<int, int>>{{4, 3}, {18, 14}, {9, 7}, {1, 1}}) {
    const PaletteBitmap stretched = StretchPalette(source, w, h);
    ASSERT_EQ(stretched.width(), w);
    ASSERT_EQ(stretched.height(), h);
    EXPECT_EQ(stretched.palette(), source.palette());
    // The colour picture stretched the same way shows the same pixels.
    Bitmap24 expected(w, h);
    FastStretch(Raster(source), expected, Rect{0, 0, w, h});
    const Bitmap24 got = ExpandToBitmap24(stretched);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        ASSERT_EQ(test::PixelAt(got, x, y), test::PixelAt(expected, x, y)) << w << "x" << h;
  }
  // Shrinking by two takes the second of each pair.
  const PaletteBitmap half = StretchPalette(source, 4, 3);
  EXPECT_EQ(half.row(0)[0], source.row(1)[1]);
  EXPECT_EQ(half.row(2)[3], source.row(5)[7]);
}

TEST(PaletteCoverage, AShortTableGetsBlackEntriesUpToTheHighestIndex) {
  PaletteBitmap raster(3, 1, 8, {Rgb{9, 8, 7}});
  raster.row(0)[1] = 4;
  CoverIndicesWithTable(raster);
  ASSERT_EQ(raster.palette().size(), 5u);
  EXPECT_EQ(raster.palette()[0], (Rgb{9, 8, 7}));
  EXPECT_EQ(raster.palette()[4], (Rgb{0, 0, 0}));
  // A table that covers its indices stays as it is.
  PaletteBitmap full = Numbered(4, 4);
  CoverIndicesWithTable(full);
  EXPECT_EQ(full.palette().size(), 256u);
}

}  // namespace
}  // namespace pixtrel
