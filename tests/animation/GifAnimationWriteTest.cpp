// Writing animations as GIF: frames as changed rectangles with the right disposal, a colour table
// per frame, delays and loop counts, checked with our reader, gifsicle, PIL and ImageMagick.
#include <gtest/gtest.h>

#include <algorithm>

#include "codecs/gif/GifAnimation.h"
#include "codecs/gif/GifFramePalette.h"
#include "core/Errors.h"
#include "tests/animation/AnimationTools.h"
#include "tests/support/TestSupport.h"

using namespace pixtrel;
using namespace pixtrel::test;

namespace {

constexpr int kW = 20, kH = 14;

// A square moving over a backdrop, a hole opening (opaque to transparent), a frame repeated, a
// zero delay: what makes a GIF writer choose rectangles and disposals.
AnimatedPicture MovingSquare() {
  AnimatedPicture animation;
  animation.width = kW;
  animation.height = kH;
  animation.plays = 3;
  AnimationFrame backdrop = SolidFrame(kW, kH, 250, 240, 200, 255, 100);
  Paint(backdrop, 0, 10, kW, 4, 30, 120, 40);
  for (int i = 0; i < 4; ++i) {
    AnimationFrame f = backdrop;
    Paint(f, 2 + i * 3, 3, 4, 4, 200, 20, 20);
    f.delayMs = i == 1 ? 0 : 70;
    animation.frames.push_back(f);
  }
  AnimationFrame holed = animation.frames.back();
  Paint(holed, 1, 1, 5, 3, 0, 0, 0, 0);
  holed.delayMs = 250;
  animation.frames.push_back(holed);
  animation.frames.push_back(holed);  // shown again: nothing changes
  AnimationFrame refilled = holed;
  Paint(refilled, 3, 2, 2, 1, 10, 10, 240);
  animation.frames.push_back(refilled);
  return animation;
}

void ExpectSameFrames(const AnimatedPicture& expected,
                      const std::vector<std::vector<std::uint8_t>>& got, int tolerance = 0) {
  ASSERT_EQ(got.size(), expected.frames.size());
  for (std::size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(FrameDifference(RgbaOf(expected.frames[i]), got[i], expected.width, tolerance), "")
        << "frame " << i;
  }
}

}  // namespace

TEST(GifAnimationWrite, OurReaderPlaysBackEveryFrameExactly) {
  const AnimatedPicture animation = MovingSquare();
  const Bytes file = EncodeGifAnimation(animation);
  const AnimatedPicture back = DecodeGifAnimation(file);
  EXPECT_EQ(back.width, kW);
  EXPECT_EQ(back.height, kH);
  EXPECT_EQ(back.plays, 3);
  std::vector<std::vector<std::uint8_t>> frames;
  for (const AnimationFrame& f : back.frames)
    frames.push_back(RgbaOf(f));
  ExpectSameFrames(animation, frames);
  for (std::size_t i = 0; i < back.frames.size(); ++i)
    EXPECT_EQ(back.frames[i].delayMs, animation.frames[i].delayMs) << "frame " << i;
  // The same animation always gives the same bytes.
  EXPECT_EQ(EncodeGifAnimation(animation), file);
}

TEST(GifAnimationWrite, GifsicleSeesChangedRectanglesDisposalsDelaysAndLoop) {
  TempFolder folder;
  WriteBytes(folder / "anim.gif", EncodeGifAnimation(MovingSquare()));
  const auto info = ReadGifsicleInfo(folder / "anim.gif");
  if (!info) PIXTREL_SKIP_MISSING_TOOL() << "gifsicle";
  EXPECT_EQ(info->images, 7);
  EXPECT_EQ(info->loop, "2");  // three plays: two repeats
  ASSERT_EQ(info->frames.size(), 7u);
  // The first frame is the whole canvas; then only what changes.
  EXPECT_EQ(info->frames[0].width, kW);
  EXPECT_EQ(info->frames[0].height, kH);
  // Square from x 2..5 to x 5..8: columns 2 to 8 change, rows 3 to 6.
  EXPECT_EQ(info->frames[1].left, 2);
  EXPECT_EQ(info->frames[1].top, 3);
  EXPECT_EQ(info->frames[1].width, 7);
  EXPECT_EQ(info->frames[1].height, 4);
  // The hole opens after frame 3: frame 3 is cleared once shown, its rectangle grown over the
  // hole, and frame 4 redraws the rest of that rectangle.
  EXPECT_EQ(info->frames[3].disposal, "background");
  EXPECT_EQ(info->frames[2].disposal, "asis");
  EXPECT_TRUE(info->frames[3].transparent);
  EXPECT_EQ(info->frames[5].width * info->frames[5].height, 1);  // the repeated frame
  const int delays[] = {7, 0, 7, 7, 25, 25, 25};
  for (int i = 0; i < 7; ++i)
    EXPECT_EQ(info->frames[i].delayCs, delays[i]) << "frame " << i;
  // The first frame has a transparent colour, because later frames have transparent pixels.
  EXPECT_TRUE(info->frames[0].transparent);
}

TEST(GifAnimationWrite, PilAndImageMagickPlayEveryFrameAsWritten) {
  const AnimatedPicture animation = MovingSquare();
  TempFolder folder;
  WriteBytes(folder / "anim.gif", EncodeGifAnimation(animation));
  bool checked = false;
  if (const auto pil = PilFrames(folder / "anim.gif")) {
    SCOPED_TRACE("PIL");
    ExpectSameFrames(animation, pil->rgba);
    EXPECT_EQ(pil->loop, 2);
    EXPECT_EQ(pil->durations[4], 250);
    checked = true;
  }
  if (const auto magick = MagickFrames(folder / "anim.gif")) {
    SCOPED_TRACE("ImageMagick");
    ExpectSameFrames(animation, magick->rgba);
    checked = true;
  }
  if (!checked) PIXTREL_SKIP_MISSING_TOOL() << "PIL and ImageMagick";
}

TEST(GifAnimationWrite, PlayedOnceHasNoLoopExtension) {
  AnimatedPicture animation = MovingSquare();
  animation.plays = 1;
  const Bytes file = EncodeGifAnimation(animation);
  EXPECT_EQ(DecodeGifAnimation(file).plays, 1);
  EXPECT_EQ(std::search(file.begin(), file.end(), std::begin("NETSCAPE"), std::end("NETSCAPE") - 1),
            file.end());
  animation.plays = 0;
  EXPECT_EQ(DecodeGifAnimation(EncodeGifAnimation(animation)).plays, 0);
}

TEST(GifAnimationWrite, ManyColoursAreRoundedToTheGrid) {
  AnimatedPicture animation;
  animation.width = 64;
  animation.height = 32;
  for (int i = 0; i < 2; ++i) {
    AnimationFrame f = SolidFrame(64, 32, 0, 0, 0);
    for (int y = 0; y < 32; ++y) {
      for (int x = 0; x < 64; ++x)
        Paint(f, x, y, 1, 1, static_cast<std::uint8_t>(x * 4), static_cast<std::uint8_t>(y * 8),
              static_cast<std::uint8_t>((x + y + i * 40) * 2));
    }
    animation.frames.push_back(f);
  }
  const AnimatedPicture back = DecodeGifAnimation(EncodeGifAnimation(animation));
  ASSERT_EQ(back.frames.size(), 2u);
  for (int i = 0; i < 2; ++i) {
    // Red and blue in steps of 51, green of 42.5: never more than half a step off.
    EXPECT_EQ(FrameDifference(RgbaOf(animation.frames[i]), RgbaOf(back.frames[i]), 64, 26), "");
  }
}

TEST(GifAnimationWrite, FramePaletteIsExactUpTo256Colours) {
  Bitmap24 pixels(16, 16);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      std::uint8_t* p = pixels.row(y) + x * 3;
      p[0] = static_cast<std::uint8_t>(x * 16 + y);
      p[1] = static_cast<std::uint8_t>(255 - y * 3);
      p[2] = static_cast<std::uint8_t>(x * 7);
    }
  }
  const GifFrameColours all = BuildGifPalette(pixels, nullptr);
  EXPECT_EQ(all.indices.palette().size(), 256u);
  EXPECT_EQ(all.transparentIndex, -1);
  EXPECT_TRUE(SamePixels(ExpandToBitmap24(all.indices), pixels));
  // A transparent entry needs room: 256 colours and a reserved one give the grid.
  const GifFrameColours reserved = BuildGifPalette(pixels, nullptr, true);
  EXPECT_EQ(reserved.indices.palette().size(), 253u);
  EXPECT_EQ(reserved.transparentIndex, 252);
  // A transparent pixel takes its colour away: 255 colours and the transparent entry fit.
  std::vector<std::uint8_t> alpha(256, 255);
  alpha[17] = 0;
  const GifFrameColours holed = BuildGifPalette(pixels, alpha.data());
  EXPECT_EQ(holed.indices.palette().size(), 256u);
  EXPECT_EQ(holed.transparentIndex, 255);
  EXPECT_EQ(holed.indices.data()[17], 255);
  alpha[0] = 0;
  const GifFrameColours fewer = BuildGifPalette(pixels, alpha.data());
  EXPECT_EQ(fewer.indices.palette().size(), 255u);
  EXPECT_EQ(fewer.transparentIndex, 254);
  EXPECT_EQ(fewer.indices.data()[1], 0);  // colours in the order they first appear
}

TEST(GifAnimationWrite, FramesThatDoNotFitTheCanvasAreRefused) {
  AnimatedPicture animation = MovingSquare();
  animation.frames[2] = SolidFrame(kW + 1, kH, 1, 2, 3);
  EXPECT_THROW(EncodeGifAnimation(animation), EBitmapError);
  animation.frames.clear();
  EXPECT_THROW(EncodeGifAnimation(animation), EGIFError);  // "Unsupported GIF version"
}
