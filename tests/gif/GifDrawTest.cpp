// Drawing the first frame: transparency at its own size, the AND/OR rule when a transparent
// frame is shrunk, repetition when enlarged, several frames, and the frame as one raster.
#include <gtest/gtest.h>

#include "codecs/gif/GifCodec.h"
#include "tests/support/TestSupport.h"

using namespace pixtrel;
using namespace pixtrel::test;

namespace {

constexpr Bgr kWhite{255, 255, 255};
constexpr Bgr kBlack{0, 0, 0};
constexpr Bgr kPaint{30, 20, 10};  // what the target held before drawing

// Table: 0 transparent (its colour red), 1 = (r 0xFF, g 0x0F, b 0xF0), 2 = (0x0F, 0xFF, 0x3C),
// 3 = blue.
TGIFImage Picture(int w, int h, std::vector<std::uint8_t> pixels, bool transparent = true) {
  TGIFImage picture;
  picture.header.width = w;
  picture.header.height = h;
  picture.header.colorMap.colors = {Rgb{255, 0, 0}, Rgb{0xFF, 0x0F, 0xF0}, Rgb{0x0F, 0xFF, 0x3C},
                                    Rgb{0, 0, 255}};
  TGIFSubImage frame;
  frame.width = w;
  frame.height = h;
  frame.pixels = std::move(pixels);
  if (transparent) frame.extensions.push_back(TGIFGraphicControlExtension{1, 0, 0});
  picture.images.push_back(std::move(frame));
  return picture;
}

Bitmap24 Painted(int w, int h) {
  Bitmap24 b(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      std::uint8_t* p = b.row(y) + x * 3;
      p[0] = kPaint.b;
      p[1] = kPaint.g;
      p[2] = kPaint.r;
    }
  }
  return b;
}

TEST(GifDraw, TransparentPixelsLeaveTheTargetAtTheFramesOwnSize) {
  const TGIFImage picture = Picture(3, 2, {0, 1, 0, 2, 0, 3});
  Bitmap24 target = Painted(7, 5);
  DrawGifFrame(picture, target, Rect{2, 1, 5, 3});
  EXPECT_EQ(PixelAt(target, 2, 1), kPaint);
  EXPECT_EQ(PixelAt(target, 3, 1), (Bgr{0xF0, 0x0F, 0xFF}));
  EXPECT_EQ(PixelAt(target, 4, 1), kPaint);
  EXPECT_EQ(PixelAt(target, 2, 2), (Bgr{0x3C, 0xFF, 0x0F}));
  EXPECT_EQ(PixelAt(target, 4, 2), (Bgr{255, 0, 0}));
  EXPECT_EQ(PixelAt(target, 1, 1), kPaint);  // outside the rectangle
  EXPECT_EQ(PixelAt(target, 5, 2), kPaint);
}

TEST(GifDraw, AShrunkTransparentFrameCombinesByAnd) {
  // 6 x 2 onto 3 x 1: each target pixel gets a 2 x 2 block.
  // Block 0 all transparent; block 1 mixed; block 2 colours 1 and 2.
  const TGIFImage picture = Picture(6, 2,
                                    {0, 0, 0, 1, 1, 2,  //
                                     0, 0, 1, 1, 2, 1});
  Bitmap24 target = Painted(3, 1);
  DrawGifFrame(picture, target, Rect{0, 0, 3, 1});
  EXPECT_EQ(PixelAt(target, 0, 0), kPaint);
  EXPECT_EQ(PixelAt(target, 1, 0), kBlack);
  EXPECT_EQ(PixelAt(target, 2, 0), (Bgr{0xF0 & 0x3C, 0x0F & 0xFF, 0xFF & 0x0F}));
}

TEST(GifDraw, AFrameWithoutTransparentPixelsIsStretchedNotCombined) {
  // The flag is set but no pixel carries index 0: the stretch picks one pixel per block.
  const TGIFImage picture = Picture(6, 2,
                                    {3, 3, 3, 3, 3, 3,  //
                                     1, 2, 2, 1, 2, 2});
  Bitmap24 target = Painted(3, 1);
  DrawGifFrame(picture, target, Rect{0, 0, 3, 1});
  Bitmap24 expected = Painted(3, 1);
  PaletteBitmap frame(6, 2, 8, picture.header.colorMap.colors);
  std::copy(picture.images[0].pixels.begin(), picture.images[0].pixels.end(), frame.data());
  FastStretch(Raster(frame), expected, Rect{0, 0, 3, 1});
  EXPECT_TRUE(SamePixels(target, expected));
  EXPECT_NE(PixelAt(target, 0, 0), kBlack);
}

TEST(GifDraw, AnEnlargedTransparentFrameRepeatsPixels) {
  const TGIFImage picture = Picture(2, 1, {0, 3});
  Bitmap24 target = Painted(4, 2);
  DrawGifFrame(picture, target, Rect{0, 0, 4, 2});
  for (int y = 0; y < 2; ++y) {
    EXPECT_EQ(PixelAt(target, 0, y), kPaint);
    EXPECT_EQ(PixelAt(target, 1, y), kPaint);
    EXPECT_EQ(PixelAt(target, 2, y), (Bgr{255, 0, 0}));
    EXPECT_EQ(PixelAt(target, 3, y), (Bgr{255, 0, 0}));
  }
}

TEST(GifDraw, ARectangleBeyondTheTargetIsClipped) {
  const TGIFImage picture = Picture(4, 4, std::vector<std::uint8_t>(16, 3), false);
  Bitmap24 target = Painted(3, 3);
  DrawGifFrame(picture, target, Rect{-2, -2, 6, 6});
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 3; ++x)
      EXPECT_EQ(PixelAt(target, x, y), (Bgr{255, 0, 0}));
  }
  Bitmap24 nothing = Painted(3, 3);
  DrawGifFrame(picture, nothing, Rect{5, 5, 5, 9});  // zero width
  DrawGifFrame(TGIFImage{}, nothing, Rect{0, 0, 3, 3});
  EXPECT_TRUE(SamePixels(nothing, Painted(3, 3)));
}

TEST(GifDraw, SeveralFramesComposeTheFirstOnWhiteThenStretch) {
  TGIFImage picture = Picture(6, 2,
                              {0, 0, 0, 1, 1, 2,  //
                               0, 0, 1, 1, 2, 1});
  picture.images.push_back(picture.images[0]);
  picture.images[1].pixels.assign(12, 3);  // never drawn
  Bitmap24 target = Painted(3, 1);
  DrawGifFrame(picture, target, Rect{0, 0, 3, 1});
  // Composed at full size: transparent pixels white; then an ordinary stretch picks
  // columns 1, 3, 5 of row 1.
  EXPECT_EQ(PixelAt(target, 0, 0), kWhite);
  EXPECT_EQ(PixelAt(target, 1, 0), (Bgr{0xF0, 0x0F, 0xFF}));
  EXPECT_EQ(PixelAt(target, 2, 0), (Bgr{0xF0, 0x0F, 0xFF}));
}

TEST(GifDraw, TheFrameAsOneRaster) {
  EXPECT_TRUE(RasterEmpty(GifFrameRaster(TGIFImage{})));

  // Covering the screen: the indices and table as they are, transparency not applied.
  const TGIFImage covering = Picture(3, 1, {0, 2, 1});
  const Raster raster = GifFrameRaster(covering);
  ASSERT_TRUE(std::holds_alternative<PaletteBitmap>(raster));
  const auto& p = std::get<PaletteBitmap>(raster);
  EXPECT_EQ(p.bitsPerPixel(), 8);
  EXPECT_EQ(p.palette(), covering.header.colorMap.colors);
  EXPECT_EQ(std::vector<std::uint8_t>(p.data(), p.data() + 3),
            (std::vector<std::uint8_t>{0, 2, 1}));

  // Smaller than the screen: 24 bits, white around, opaque at its offset.
  TGIFImage offset = Picture(2, 1, {0, 3});
  offset.header.width = 4;
  offset.header.height = 2;
  offset.images[0].left = 1;
  offset.images[0].top = 1;
  const Raster r = GifFrameRaster(offset);
  ASSERT_TRUE(std::holds_alternative<Bitmap24>(r));
  const Bitmap24& b = std::get<Bitmap24>(r);
  EXPECT_EQ(PixelAt(b, 0, 0), kWhite);
  EXPECT_EQ(PixelAt(b, 1, 1), (Bgr{0, 0, 255}));  // transparent index shows its colour
  EXPECT_EQ(PixelAt(b, 2, 1), (Bgr{255, 0, 0}));
  EXPECT_EQ(PixelAt(b, 3, 1), kWhite);

  // Of the screen's size but not at 0, 0: it does not cover, so it is placed at its offset.
  TGIFImage shifted = Picture(2, 2, {1, 1, 1, 1}, false);
  shifted.images[0].left = 1;
  const Bitmap24 s = ToBitmap24(GifFrameRaster(shifted));
  EXPECT_EQ(PixelAt(s, 0, 0), kWhite);
  EXPECT_EQ(PixelAt(s, 1, 0), (Bgr{0xF0, 0x0F, 0xFF}));
}

}  // namespace
