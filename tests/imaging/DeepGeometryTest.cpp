// The 16-bit samples follow the 8-bit picture through turns, cuts, canvases and resampling: each
// step, reduced to 8 bits, is what the same step gives on the 8-bit picture.
#include "imaging/DeepGeometry.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "imaging/CentreResample.h"
#include "imaging/FramePicture.h"
#include "imaging/TurnPicture.h"

namespace pixtrel {
namespace {

// Every sample different, and a multiple of 257 so the 8-bit reduction is exact.
DeepSamples Numbered(int width, int height, int channels) {
  DeepSamples deep;
  deep.width = width;
  deep.height = height;
  deep.channels = channels;
  for (int i = 0; i < width * height * channels; ++i)
    deep.samples.push_back(static_cast<std::uint16_t>((i * 37 % 256) * 257));
  return deep;
}

DecodedPicture PictureOf(const DeepSamples& deep) {
  EightBitPicture eight = ReduceToEightBits(deep);
  DecodedPicture picture;
  picture.raster = std::move(eight.raster);
  picture.alpha = std::move(eight.alpha);
  picture.deep = deep;
  return picture;
}

void ExpectMatching(const DecodedPicture& picture) {
  ASSERT_TRUE(picture.deep);
  EXPECT_TRUE(
      DeepSamplesMatch(*picture.deep, picture.raster, picture.alpha ? &*picture.alpha : nullptr));
}

TEST(DeepGeometry, EveryOrientationTurnsTheSamplesAsThePicture) {
  for (int channels : {3, 4}) {
    for (int tag = 1; tag <= 8; ++tag) {
      DecodedPicture picture = PictureOf(Numbered(5, 3, channels));
      TurnPicture(picture, Orientation::FromExif(tag));
      ExpectMatching(picture);
      EXPECT_EQ(picture.deep->width, tag >= 5 ? 3 : 5) << tag;
    }
  }
}

TEST(DeepGeometry, CutsAndCanvasesKeepTheSamplesInStep) {
  const DecodedPicture picture = PictureOf(Numbered(6, 4, 4));
  const DecodedPicture part = CropPicture(picture, 1, 2, 4, 2);
  ExpectMatching(part);
  const DecodedPicture padded = PadPicture(picture, 9, 7, 2, 1, 0x336699);
  ExpectMatching(padded);
  // The canvas is the colour, widened, and opaque.
  const std::uint16_t* corner = &padded.deep->samples[0];
  EXPECT_EQ(corner[0], 0x33 * 257);
  EXPECT_EQ(corner[1], 0x66 * 257);
  EXPECT_EQ(corner[2], 0x99 * 257);
  EXPECT_EQ(corner[3], 65535);
  EXPECT_THROW(CropDeep(*picture.deep, 3, 0, 4, 1), std::exception);
  EXPECT_THROW(PadDeep(*picture.deep, 6, 4, 1, 0, 0), std::exception);
}

TEST(DeepGeometry, ResamplingKeepsFlatColoursExactAndFollowsTheEightBitResampler) {
  DeepSamples flat;
  flat.width = 40;
  flat.height = 30;
  for (int i = 0; i < 40 * 30; ++i)
    flat.samples.insert(flat.samples.end(), {1000, 33333, 65535});
  const DeepSamples small = ResampleDeep(flat, 13, 7);
  ASSERT_EQ(small.samples.size(), std::size_t{13 * 7 * 3});
  for (std::size_t i = 0; i < small.samples.size(); i += 3) {
    EXPECT_EQ(small.samples[i], 1000);
    EXPECT_EQ(small.samples[i + 1], 33333);
    EXPECT_EQ(small.samples[i + 2], 65535);
  }
  // A detailed picture: within the 8-bit resampler's own rounding of the same geometry.
  const DeepSamples detailed = Numbered(48, 36, 3);
  const EightBitPicture eight = ReduceToEightBits(detailed);
  const Bitmap24 expected = CentreResample(eight.raster, 17, 11);
  const EightBitPicture got = ReduceToEightBits(ResampleDeep(detailed, 17, 11));
  for (int y = 0; y < 11; ++y)
    for (int x = 0; x < 17 * 3; ++x)
      EXPECT_LE(std::abs(got.raster.row(y)[x] - expected.row(y)[x]), 2) << x << "," << y;
}

TEST(DeepGeometry, TransparentPixelsLendNoColourWhenResampled) {
  DeepSamples deep;
  deep.width = 8;
  deep.height = 8;
  deep.channels = 4;
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      // Left half opaque green, right half transparent red.
      if (x < 4)
        deep.samples.insert(deep.samples.end(), {0, 65535, 0, 65535});
      else
        deep.samples.insert(deep.samples.end(), {65535, 0, 0, 0});
    }
  }
  const DeepSamples half = ResampleDeep(deep, 4, 4);
  for (int i = 0; i < 16; ++i) {
    const std::uint16_t* pixel = &half.samples[static_cast<std::size_t>(i) * 4];
    if (pixel[3] > 0) {
      EXPECT_EQ(pixel[0], 0) << i;
      EXPECT_EQ(pixel[1], 65535) << i;
    }
  }
}

}  // namespace
}  // namespace pixtrel
