// WebP animations: every frame read through libwebp's animation decoder (against PIL, and against
// our own GIF reader on gif2webp's conversion), and written through its animation encoder
// (checked with webpmux and PIL).
#include <gtest/gtest.h>

#include <cmath>

#include "codecs/gif/GifAnimation.h"
#include "codecs/webp/WebpAnimation.h"
#include "core/Errors.h"
#include "tests/animation/AnimationTools.h"
#include "tests/support/TestSupport.h"

using namespace pixtrel;
using namespace pixtrel::test;

namespace {

// Three frames made by ImageMagick and joined by img2webp: a gradient, a soft-edged circle over
// transparency, a small opaque square; durations 100, 1 and 250 ms, played 3 times.
bool MakeWebpAnimation(const TempFolder& folder, const std::string& name, bool lossy) {
  const std::vector<std::vector<std::string>> steps = {
      {"convert", "-size", "30x20", "gradient:red-blue", "a.png"},
      {"convert", "-size", "30x20", "xc:none", "-fill", "lime", "-draw", "circle 15,10 15,3",
       "-blur", "0x1", "b.png"},
      {"convert", "-size", "30x20", "xc:none", "-fill", "yellow", "-draw", "rectangle 20,12 27,18",
       "c.png"},
      {"img2webp", "-loop", "3", lossy ? "-lossy" : "-lossless", "-d", "100", "a.png", "-d", "1",
       "b.png", "-d", "250", "c.png", "-o", name}};
  for (const auto& argv : steps) {
    if (RunProgram(argv, folder.path()).exitCode != 0) return false;
  }
  return true;
}

AnimatedPicture TestAnimation() {
  AnimatedPicture animation;
  animation.width = 24;
  animation.height = 16;
  animation.plays = 5;
  AnimationFrame f = SolidFrame(24, 16, 200, 30, 40, 255, 80);
  animation.frames.push_back(f);
  Paint(f, 4, 4, 6, 5, 10, 220, 30);
  f.delayMs = 40;
  animation.frames.push_back(f);
  Paint(f, 12, 0, 12, 16, 0, 0, 0, 0);  // the right half clears
  Paint(f, 14, 2, 4, 4, 30, 40, 250, 128);
  f.delayMs = 1200;
  animation.frames.push_back(f);
  return animation;
}

// Mean difference over every channel, colours only where the expected pixel is not transparent.
double MeanDifference(const std::vector<std::uint8_t>& expected,
                      const std::vector<std::uint8_t>& actual) {
  double sum = 0;
  std::size_t count = 0;
  for (std::size_t i = 0; i + 3 < expected.size(); i += 4) {
    const std::size_t from = expected[i + 3] == 0 ? 3 : 0;
    for (std::size_t c = from; c < 4; ++c, ++count)
      sum += std::abs(expected[i + c] - actual[i + c]);
  }
  return count == 0 ? 0 : sum / static_cast<double>(count);
}

}  // namespace

TEST(WebpAnimationRead, EveryFrameDurationAndLoopAsPilPlaysThem) {
  PIXTREL_SKIP_WITHOUT_PROGRAM("img2webp");
  PIXTREL_SKIP_WITHOUT_PROGRAM("convert");
  PIXTREL_SKIP_WITHOUT_PIL();
  TempFolder folder;
  ASSERT_TRUE(MakeWebpAnimation(folder, "anim.webp", false));
  const auto played = PilFrames(folder / "anim.webp");
  ASSERT_TRUE(played);
  const AnimatedPicture animation = DecodeWebpAnimation(FileContents(folder / "anim.webp"));
  EXPECT_EQ(animation.width, 30);
  EXPECT_EQ(animation.height, 20);
  EXPECT_EQ(animation.plays, 3);
  EXPECT_TRUE(animation.lossless);
  ASSERT_EQ(animation.frames.size(), played->rgba.size());
  const int durations[] = {100, 1, 250};
  for (std::size_t i = 0; i < animation.frames.size(); ++i) {
    SCOPED_TRACE("frame " + std::to_string(i));
    EXPECT_EQ(animation.frames[i].delayMs, durations[i]);
    EXPECT_EQ(played->durations[i], durations[i]);
    EXPECT_EQ(
        FrameDifference(played->rgba[i], RgbaOf(animation.frames[i]), 30, 0, AlphaRule::Exact), "");
  }
  EXPECT_TRUE(animation.frames[1].canvas.alpha);  // the soft circle's edge
}

TEST(WebpAnimationRead, LossyFramesMakeALossyAnimation) {
  PIXTREL_SKIP_WITHOUT_PROGRAM("img2webp");
  PIXTREL_SKIP_WITHOUT_PROGRAM("convert");
  TempFolder folder;
  ASSERT_TRUE(MakeWebpAnimation(folder, "lossy.webp", true));
  const AnimatedPicture animation = DecodeWebpAnimation(FileContents(folder / "lossy.webp"));
  EXPECT_FALSE(animation.lossless);
  EXPECT_EQ(animation.frames.size(), 3u);
}

// gif2webp turns the GIF's frames, offsets and disposals into WebP's; libwebp composes them again
// when reading. Both ways must give the canvases our GIF reader composes.
TEST(WebpAnimationRead, Gif2webpConversionPlaysAsOurGifReaderComposes) {
  PIXTREL_SKIP_WITHOUT_PROGRAM("gif2webp");
  TempFolder folder;
  WriteBytes(folder / "disposal.gif", DisposalTestGif());
  const RunResult r =
      RunProgram({"gif2webp", "-quiet", "disposal.gif", "-o", "disposal.webp"}, folder.path());
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const AnimatedPicture gif = DecodeGifAnimation(DisposalTestGif());
  const AnimatedPicture webp = DecodeWebpAnimation(FileContents(folder / "disposal.webp"));
  EXPECT_EQ(webp.plays, gif.plays);
  ASSERT_EQ(webp.frames.size(), gif.frames.size());
  for (std::size_t i = 0; i < gif.frames.size(); ++i) {
    SCOPED_TRACE("frame " + std::to_string(i));
    EXPECT_EQ(
        FrameDifference(RgbaOf(gif.frames[i]), RgbaOf(webp.frames[i]), 8, 0, AlphaRule::Exact), "");
  }
}

TEST(WebpAnimationWrite, LosslessKeepsEveryPixelDurationAndTheLoopCount) {
  const AnimatedPicture animation = TestAnimation();
  const std::vector<std::uint8_t> file =
      EncodeWebpAnimation(animation, PictureMetadata{}, WebpSettings{true, 90});
  // Our reader first, then the independent ones.
  const AnimatedPicture back = DecodeWebpAnimation(file);
  EXPECT_TRUE(back.lossless);
  EXPECT_EQ(back.plays, 5);
  ASSERT_EQ(back.frames.size(), animation.frames.size());
  for (std::size_t i = 0; i < back.frames.size(); ++i) {
    EXPECT_EQ(back.frames[i].delayMs, animation.frames[i].delayMs);
    EXPECT_EQ(FrameDifference(RgbaOf(animation.frames[i]), RgbaOf(back.frames[i]), 24, 0,
                              AlphaRule::Exact),
              "")
        << "frame " << i;
  }

  TempFolder folder;
  WriteBytes(folder / "out.webp", file);
  if (const auto info = ReadWebpmuxInfo(folder / "out.webp")) {
    EXPECT_EQ(info->width, 24);
    EXPECT_EQ(info->height, 16);
    EXPECT_EQ(info->loop, 5);
    ASSERT_EQ(info->frames.size(), 3u) << info->text;
    const int durations[] = {80, 40, 1200};
    for (std::size_t i = 0; i < 3; ++i) {
      EXPECT_EQ(info->frames[i].duration, durations[i]);
      EXPECT_EQ(info->frames[i].compression, "lossless");
    }
    // Only what changes is stored: the second frame is the small square.
    EXPECT_LT(info->frames[1].width * info->frames[1].height, 24 * 16);
  } else if (HaveProgram("webpmux")) {
    ADD_FAILURE() << "webpmux cannot read the file";
  }
  if (const auto played = PilFrames(folder / "out.webp")) {
    ASSERT_EQ(played->rgba.size(), 3u);
    EXPECT_EQ(played->loop, 5);
    for (std::size_t i = 0; i < 3; ++i) {
      EXPECT_EQ(
          FrameDifference(RgbaOf(animation.frames[i]), played->rgba[i], 24, 0, AlphaRule::Exact),
          "")
          << "frame " << i;
    }
  }
}

TEST(WebpAnimationWrite, LossyFramesAtTheQuality) {
  PIXTREL_SKIP_WITHOUT_PIL();
  AnimatedPicture animation = TestAnimation();
  TempFolder folder;
  WriteBytes(folder / "out.webp",
             EncodeWebpAnimation(animation, PictureMetadata{}, WebpSettings{false, 90}));
  const auto played = PilFrames(folder / "out.webp");
  ASSERT_TRUE(played);
  ASSERT_EQ(played->rgba.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i)
    EXPECT_LT(MeanDifference(RgbaOf(animation.frames[i]), played->rgba[i]), 6.0) << "frame " << i;
  if (const auto info = ReadWebpmuxInfo(folder / "out.webp")) {
    ASSERT_FALSE(info->frames.empty());
    EXPECT_EQ(info->frames[0].compression, "lossy");
  }
  EXPECT_FALSE(DecodeWebpAnimation(FileContents(folder / "out.webp")).lossless);
}

TEST(WebpAnimationWrite, MetadataChunksAreCarried) {
  PictureMetadata metadata;
  metadata.exif = {'M', 'M', 0, 42, 0, 0, 0, 8, 0, 0};
  metadata.xmp = {'<', 'x', '/', '>'};
  const std::vector<std::uint8_t> file =
      EncodeWebpAnimation(TestAnimation(), metadata, WebpSettings{true, 90});
  const AnimatedPicture back = DecodeWebpAnimation(file);
  EXPECT_EQ(back.metadata.exif, metadata.exif);
  EXPECT_EQ(back.metadata.xmp, metadata.xmp);
  EXPECT_TRUE(back.metadata.icc.empty());
  EXPECT_EQ(back.frames.size(), 3u);
  TempFolder folder;
  WriteBytes(folder / "meta.webp", file);
  if (HaveProgram("webpmux")) {
    const RunResult r =
        RunProgram({"webpmux", "-get", "xmp", "meta.webp", "-o", "xmp.bin"}, folder.path());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(FileContents(folder / "xmp.bin"), metadata.xmp);
  }
}

TEST(WebpAnimationWrite, ZeroDelaysAndRepeatedFramesPlayForTheSameTime) {
  AnimatedPicture animation = TestAnimation();
  animation.frames[0].delayMs = 0;
  animation.frames.insert(animation.frames.begin() + 2, animation.frames[1]);  // shown twice
  const AnimatedPicture back = DecodeWebpAnimation(
      EncodeWebpAnimation(animation, PictureMetadata{}, WebpSettings{true, 90}));
  // What shows at every moment is the same; libwebp may join a repeated frame to the one before.
  const auto at = [](const AnimatedPicture& a, int ms) {
    for (const AnimationFrame& f : a.frames) {
      if (ms < f.delayMs) return RgbaOf(f);
      ms -= f.delayMs;
    }
    return RgbaOf(a.frames.back());
  };
  int total = 0, backTotal = 0;
  for (const AnimationFrame& f : animation.frames)
    total += f.delayMs;
  for (const AnimationFrame& f : back.frames)
    backTotal += f.delayMs;
  EXPECT_EQ(backTotal, total);
  for (int ms = 0; ms < total; ms += 20)
    EXPECT_EQ(FrameDifference(at(animation, ms), at(back, ms), 24), "") << "at " << ms << " ms";
}
