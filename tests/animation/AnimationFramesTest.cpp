// Resizing and turning every frame: each frame as the still-picture code would do it, the canvas
// following, delays and loop count kept; then written as GIF and WebP with every frame.
#include <gtest/gtest.h>

#include "codecs/Registry.h"
#include "core/Errors.h"
#include "imaging/AnimationFrames.h"
#include "imaging/ResizePicture.h"
#include "operations/AnimationFile.h"
#include "operations/UprightPicture.h"
#include "tests/animation/AnimationTools.h"
#include "tests/support/TestSupport.h"

using namespace pixtrel;
using namespace pixtrel::test;

namespace {

AnimatedPicture ThreeFrames() {
  AnimatedPicture animation;
  animation.width = 30;
  animation.height = 18;
  animation.plays = 0;
  AnimationFrame f = SolidFrame(30, 18, 90, 160, 220, 255, 60);
  Paint(f, 3, 3, 8, 6, 240, 200, 10);
  animation.frames.push_back(f);
  Paint(f, 15, 6, 10, 10, 0, 0, 0, 0);  // a transparent window
  f.delayMs = 0;
  animation.frames.push_back(f);
  Paint(f, 0, 0, 30, 18, 20, 20, 20);
  f.delayMs = 500;
  animation.frames.push_back(f);  // opaque again
  return animation;
}

}  // namespace

TEST(AnimationFrames, ResizeScalesEveryFrameAsAStillPicture) {
  for (const ResizeMethod method : {ResizeMethod::Normal, ResizeMethod::Better}) {
    const AnimatedPicture animation = ThreeFrames();
    const AnimatedPicture resized = ResizeAnimation(animation, 13, 8, method);
    EXPECT_EQ(resized.width, 13);
    EXPECT_EQ(resized.height, 8);
    EXPECT_EQ(resized.plays, 0);
    ASSERT_EQ(resized.frames.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
      SCOPED_TRACE("frame " + std::to_string(i));
      EXPECT_EQ(resized.frames[i].delayMs, animation.frames[i].delayMs);
      AnimationFrame still;
      still.canvas = ResizePicture(animation.frames[i].canvas, 13, 8, method);
      EXPECT_EQ(FrameDifference(RgbaOf(still), RgbaOf(resized.frames[i]), 13, 0, AlphaRule::Exact),
                "");
    }
    EXPECT_FALSE(resized.frames[0].canvas.alpha);
    EXPECT_TRUE(resized.frames[1].canvas.alpha);
    EXPECT_FALSE(resized.frames[2].canvas.alpha);  // opaque frames carry no alpha plane
  }
}

TEST(AnimationFrames, TurnMovesEveryPixelAndSwapsTheCanvas) {
  const AnimatedPicture animation = ThreeFrames();
  const AnimatedPicture right = TurnAnimation(animation, Orientation{false, 1});
  EXPECT_EQ(right.width, 18);
  EXPECT_EQ(right.height, 30);
  const AnimatedPicture flipped = TurnAnimation(animation, Orientation{true, 2});  // top to bottom
  EXPECT_EQ(flipped.width, 30);
  ASSERT_EQ(right.frames.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    const std::vector<std::uint8_t> from = RgbaOf(animation.frames[i]),
                                    turned = RgbaOf(right.frames[i]),
                                    flip = RgbaOf(flipped.frames[i]);
    for (int y = 0; y < 18; ++y) {
      for (int x = 0; x < 30; ++x) {
        const std::size_t at = (static_cast<std::size_t>(y) * 30 + x) * 4;
        // A quarter turn to the right: (x, y) goes to (17 - y, x).
        const std::size_t to = (static_cast<std::size_t>(x) * 18 + (17 - y)) * 4;
        const std::size_t mirrored = (static_cast<std::size_t>(17 - y) * 30 + x) * 4;
        ASSERT_TRUE(std::equal(&from[at], &from[at] + 4, &turned[to])) << x << "," << y;
        ASSERT_TRUE(std::equal(&from[at], &from[at] + 4, &flip[mirrored])) << x << "," << y;
      }
    }
    EXPECT_EQ(right.frames[i].delayMs, animation.frames[i].delayMs);
  }
}

// Decode once, work, encode once: what the commands that keep animations do.
TEST(AnimationFrames, ResizedAndTurnedFramesAreWrittenWithTheirDelaysAndLoop) {
  const AnimatedPicture source = ThreeFrames();
  const Bytes gif = EncodeAnimation(source, *RowForKey("gif"), OutputChoices{});
  AnimatedPicture work = DecodeAnimation(gif, *RowForKey("gif"));
  work = TurnAnimation(ResizeAnimation(std::move(work), 15, 9, ResizeMethod::Better),
                       Orientation{false, 3});
  OutputChoices lossless;
  lossless.lossless = true;
  TempFolder folder;
  WriteBytes(folder / "out.gif", EncodeAnimation(work, *RowForKey("gif"), OutputChoices{}));
  WriteBytes(folder / "out.webp", EncodeAnimation(work, *RowForKey("webp"), lossless));
  if (const auto info = ReadGifsicleInfo(folder / "out.gif")) {
    EXPECT_EQ(info->images, 3);
    EXPECT_EQ(info->loop, "forever");
    ASSERT_EQ(info->frames.size(), 3u);
    EXPECT_EQ(info->frames[0].width, 9);
    EXPECT_EQ(info->frames[0].height, 15);
    EXPECT_EQ(info->frames[1].delayCs, 0);
    EXPECT_EQ(info->frames[2].delayCs, 50);
  }
  if (const auto info = ReadWebpmuxInfo(folder / "out.webp")) {
    EXPECT_EQ(info->width, 9);
    EXPECT_EQ(info->height, 15);
    EXPECT_EQ(info->loop, 0);
    int total = 0;
    for (const WebpmuxFrame& f : info->frames)
      total += f.duration;
    EXPECT_EQ(total, 560);
  }
  if (const auto played = PilFrames(folder / "out.webp")) {
    ASSERT_EQ(played->rgba.size(), work.frames.size());
    for (std::size_t i = 0; i < played->rgba.size(); ++i) {
      EXPECT_EQ(FrameDifference(RgbaOf(work.frames[i]), played->rgba[i], 9, 0, AlphaRule::Exact),
                "")
          << "frame " << i;
    }
  }
  EXPECT_THROW(DecodeAnimation(gif, *RowForKey("png")), Exception);
  EXPECT_THROW(EncodeAnimation(source, *RowForKey("bmp"), OutputChoices{}), Exception);
}
