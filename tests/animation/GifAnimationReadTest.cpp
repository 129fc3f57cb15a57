// Reading every frame of a GIF: disposal methods 0 to 3, transparency, offsets, delays and loop
// counts, checked by hand and against ImageMagick's coalesced frames.
#include <gtest/gtest.h>

#include "codecs/gif/GifAnimation.h"
#include "core/Errors.h"
#include "tests/animation/AnimationTools.h"
#include "tests/gif/GifBuilder.h"
#include "tests/support/TestSupport.h"

using namespace pixtrel;
using namespace pixtrel::test;

namespace {

std::vector<AnimationFrame> ExpectedDisposalFrames() {
  std::vector<AnimationFrame> frames;
  AnimationFrame f = SolidFrame(8, 6, Grey(1), Grey(1), Grey(1), 255, 50);
  frames.push_back(f);
  Paint(f, 1, 1, 3, 2, Grey(2), Grey(2), Grey(2));
  f.delayMs = 0;
  frames.push_back(f);
  Paint(f, 1, 1, 3, 2, 0, 0, 0, 0);  // cleared
  AnimationFrame shown = f;
  Paint(shown, 5, 3, 2, 2, Grey(3), Grey(3), Grey(3));
  shown.delayMs = 70;
  frames.push_back(shown);
  Paint(f, 0, 0, 1, 1, Grey(4), Grey(4), Grey(4));  // the restored canvas, then frame 3
  f.delayMs = 90;
  frames.push_back(f);
  Paint(f, 7, 0, 1, 1, Grey(6), Grey(6), Grey(6));
  f.delayMs = 110;
  frames.push_back(f);
  return frames;
}

}  // namespace

TEST(GifAnimationRead, EveryDisposalMethodComposesAsViewersPlayIt) {
  const AnimatedPicture animation = DecodeGifAnimation(DisposalTestGif());
  const std::vector<AnimationFrame> expected = ExpectedDisposalFrames();
  EXPECT_EQ(animation.width, 8);
  EXPECT_EQ(animation.height, 6);
  EXPECT_EQ(animation.plays, 0);
  EXPECT_TRUE(animation.lossless);
  ASSERT_EQ(animation.frames.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE("frame " + std::to_string(i));
    EXPECT_EQ(animation.frames[i].delayMs, expected[i].delayMs);
    EXPECT_EQ(FrameDifference(RgbaOf(expected[i]), RgbaOf(animation.frames[i]), 8), "");
  }
  // Only frames that show a cleared part carry alpha.
  EXPECT_FALSE(animation.frames[0].canvas.alpha);
  EXPECT_FALSE(animation.frames[1].canvas.alpha);
  EXPECT_TRUE(animation.frames[2].canvas.alpha);
}

TEST(GifAnimationRead, ImageMagickPlaysTheDisposalFramesAlike) {
  TempFolder folder;
  WriteBytes(folder / "disposal.gif", DisposalTestGif());
  const auto played = MagickFrames(folder / "disposal.gif");
  if (!played) PIXTREL_SKIP_MISSING_TOOL() << "ImageMagick (Debian package imagemagick)";
  const AnimatedPicture animation = DecodeGifAnimation(DisposalTestGif());
  ASSERT_EQ(played->rgba.size(), animation.frames.size());
  for (std::size_t i = 0; i < animation.frames.size(); ++i) {
    SCOPED_TRACE("frame " + std::to_string(i));
    EXPECT_EQ(FrameDifference(played->rgba[i], RgbaOf(animation.frames[i]), 8), "");
    EXPECT_EQ(played->durations[i] * 10, animation.frames[i].delayMs);
  }
}

TEST(GifAnimationRead, LoopCountIsPlaysAfterTheFirst) {
  for (const int count : {-1, 0, 1, 4, 65535}) {
    SCOPED_TRACE("NETSCAPE2.0 count " + std::to_string(count));
    GifBuilder gif;
    gif.screen(2, 2, 1);
    if (count >= 0) GifLoop(gif.bytes, count);
    gif.image(0, 0, 2, 2, 0, Filled(2, 2, 0));
    gif.image(0, 0, 2, 2, 0, Filled(2, 2, 1));
    gif.trailer();
    const AnimatedPicture animation = DecodeGifAnimation(gif.bytes);
    EXPECT_EQ(animation.plays, count < 0 ? 1 : count == 0 ? 0 : count + 1);
    ASSERT_EQ(animation.frames.size(), 2u);
    EXPECT_EQ(animation.frames[0].delayMs, 0);  // no graphic control: no delay
  }
}

TEST(GifAnimationRead, FramesOutsideTheScreenAreClippedAndStillCount) {
  GifBuilder gif;
  gif.screen(6, 4, 2);
  gif.image(0, 0, 6, 4, 0, Filled(6, 4, 1));
  gif.image(4, 2, 5, 5, 0, Filled(5, 5, 2));      // partly outside: 2 x 2 of it shows
  gif.image(100, 100, 3, 3, 0, Filled(3, 3, 3));  // wholly outside: nothing shows
  gif.trailer();
  const AnimatedPicture animation = DecodeGifAnimation(gif.bytes);
  ASSERT_EQ(animation.frames.size(), 3u);
  AnimationFrame expected = SolidFrame(6, 4, Grey(1), Grey(1), Grey(1));
  EXPECT_EQ(FrameDifference(RgbaOf(expected), RgbaOf(animation.frames[0]), 6), "");
  Paint(expected, 4, 2, 2, 2, Grey(2), Grey(2), Grey(2));
  EXPECT_EQ(FrameDifference(RgbaOf(expected), RgbaOf(animation.frames[1]), 6), "");
  EXPECT_EQ(FrameDifference(RgbaOf(expected), RgbaOf(animation.frames[2]), 6), "");
}

TEST(GifAnimationRead, FirstFrameSmallerThanTheScreenLeavesTheRestTransparent) {
  GifBuilder gif;
  gif.screen(5, 5, 2);
  gif.image(1, 1, 2, 2, 0, Filled(2, 2, 3));
  gif.image(0, 0, 1, 1, 0, Filled(1, 1, 2));
  gif.trailer();
  const AnimatedPicture animation = DecodeGifAnimation(gif.bytes);
  ASSERT_EQ(animation.frames.size(), 2u);
  AnimationFrame expected = SolidFrame(5, 5, 0, 0, 0, 0);
  Paint(expected, 1, 1, 2, 2, Grey(3), Grey(3), Grey(3));
  EXPECT_EQ(FrameDifference(RgbaOf(expected), RgbaOf(animation.frames[0]), 5), "");
  Paint(expected, 0, 0, 1, 1, Grey(2), Grey(2), Grey(2));
  EXPECT_EQ(FrameDifference(RgbaOf(expected), RgbaOf(animation.frames[1]), 5), "");
}

TEST(GifAnimationRead, ImageMagickMadeAnimationPlaysAsImageMagickPlaysIt) {
  PIXTREL_SKIP_WITHOUT_PROGRAM("convert");
  TempFolder folder;
  const auto run = [&](std::vector<std::string> argv) {
    const RunResult r = RunProgram(argv, folder.path());
    ASSERT_EQ(r.exitCode, 0) << r.err;
  };
  run({"convert", "-size", "30x20", "gradient:red-blue", "a.png"});
  run({"convert", "-size", "30x20", "xc:none", "-fill", "lime", "-draw", "circle 15,10 15,3",
       "b.png"});
  run({"convert", "-size", "12x8", "xc:yellow", "c.png"});
  run({"convert",  "-delay",   "12",         "-loop",  "3",     "a.png", "-dispose", "previous",
       "b.png",    "-dispose", "background", "-delay", "0",     "-page", "+9+6",     "c.png",
       "-dispose", "none",     "-delay",     "40",     "-page", "+0+0",  "b.png",    "anim.gif"});
  const auto played = MagickFrames(folder / "anim.gif");
  ASSERT_TRUE(played);
  const AnimatedPicture animation = DecodeGifAnimation(FileContents(folder / "anim.gif"));
  EXPECT_EQ(animation.plays, 3);
  ASSERT_EQ(animation.frames.size(), played->rgba.size());
  for (std::size_t i = 0; i < animation.frames.size(); ++i) {
    SCOPED_TRACE("frame " + std::to_string(i));
    EXPECT_EQ(FrameDifference(played->rgba[i], RgbaOf(animation.frames[i]), 30), "");
    EXPECT_EQ(animation.frames[i].delayMs, played->durations[i] * 10);
  }
}
