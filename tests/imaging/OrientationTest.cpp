// The eight EXIF orientations: every pixel of a stored picture lands where the tag's meaning puts
// it, for 24-bit rasters, colour-index rasters and alpha planes alike, and an orientation followed
// by a user's turn is the same as doing the two one after the other.
#include <gtest/gtest.h>

#include "core/PaletteBitmap.h"
#include "imaging/Orientation.h"
#include "imaging/Rotate90.h"
#include "tests/support/TestSupport.h"

namespace pixtrel {
namespace {

struct Point {
  int x, y;
};

// Where the pixel shown at (x, y) of the upright picture is stored, for a stored picture of
// w x h: the tag's meaning written out case by case, independently of Orientation's own terms.
Point StoredPoint(int tag, int x, int y, int w, int h) {
  switch (tag) {
    case 2:
      return {w - 1 - x, y};
    case 3:
      return {w - 1 - x, h - 1 - y};
    case 4:
      return {x, h - 1 - y};
    case 5:
      return {y, x};
    case 6:
      return {y, h - 1 - x};
    case 7:
      return {w - 1 - y, h - 1 - x};
    case 8:
      return {w - 1 - y, x};
    default:
      return {x, y};
  }
}

TEST(Orientation, EveryTagPutsEveryPixelWhereTheTagSays) {
  const int w = 5, h = 3;
  const Bitmap24 stored = test::TestPattern(w, h, 7);
  PaletteBitmap indices(w, h, 8, {});
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      indices.row(y)[x] = static_cast<std::uint8_t>(y * w + x);
  std::vector<std::uint8_t> plane(indices.data(), indices.data() + indices.pixelCount());

  for (int tag = 1; tag <= 8; ++tag) {
    SCOPED_TRACE("tag " + std::to_string(tag));
    const Orientation orientation = Orientation::FromExif(tag);
    EXPECT_EQ(orientation.exifTag(), tag);
    const Bitmap24 seen = TurnBitmap(stored, orientation);
    const Raster seenIndices = TurnRaster(indices, orientation);
    const std::vector<std::uint8_t> seenPlane = TurnPlane(plane, w, h, orientation);
    const int sw = tag >= 5 ? h : w, sh = tag >= 5 ? w : h;
    ASSERT_EQ(seen.width(), sw);
    ASSERT_EQ(seen.height(), sh);
    const auto& turned = std::get<PaletteBitmap>(seenIndices);
    ASSERT_EQ(turned.width(), sw);
    ASSERT_EQ(seenPlane.size(), static_cast<std::size_t>(w * h));
    for (int y = 0; y < sh; ++y) {
      for (int x = 0; x < sw; ++x) {
        const Point from = StoredPoint(tag, x, y, w, h);
        EXPECT_EQ(test::PixelAt(seen, x, y), test::PixelAt(stored, from.x, from.y));
        EXPECT_EQ(turned.row(y)[x], indices.row(from.y)[from.x]);
        EXPECT_EQ(seenPlane[y * sw + x], indices.row(from.y)[from.x]);
      }
    }
  }
}

TEST(Orientation, TagsOutsideOneToEightMeanUpright) {
  for (int tag : {0, 9, -1, 65535})
    EXPECT_TRUE(Orientation::FromExif(tag).upright()) << tag;
}

TEST(Orientation, ATurnAfterTheTagIsTheTwoStepsInOne) {
  const Bitmap24 stored = test::TestPattern(4, 7, 3);
  for (int tag = 1; tag <= 8; ++tag) {
    for (int angle : {90, 180, 270}) {
      SCOPED_TRACE("tag " + std::to_string(tag) + " angle " + std::to_string(angle));
      const Bitmap24 twoSteps = Rotate90(angle, TurnBitmap(stored, Orientation::FromExif(tag)));
      const Bitmap24 oneStep = TurnBitmap(stored, Orientation::FromExif(tag).thenTurn(angle));
      EXPECT_TRUE(SamePixels(twoSteps, oneStep));
    }
  }
}

TEST(Orientation, UprightPicturesComeBackUntouched) {
  const Bitmap24 stored = test::TestPattern(6, 2, 1);
  EXPECT_TRUE(SamePixels(TurnBitmap(stored, Orientation{}), stored));
  const Bitmap24 empty;
  EXPECT_TRUE(TurnBitmap(empty, Orientation::FromExif(6)).empty());
}

}  // namespace
}  // namespace pixtrel
