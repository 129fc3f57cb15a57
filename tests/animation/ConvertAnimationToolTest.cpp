// pixtrel-batch convert between GIF and WebP keeps every frame of an animation, its delays and its
// loop count; to other formats, and in the classic commands, an animation gives its first frame.
#include <gtest/gtest.h>

#include "codecs/gif/GifAnimation.h"
#include "codecs/gif/GifCodec.h"
#include "tests/animation/AnimationTools.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;
using namespace pixtrel;
using namespace pixtrel::test;

namespace {

// An animated GIF by ImageMagick: four frames on 40 x 24, a transparent one among them, disposal
// previous and background, delays 10, 0, 30 and 45 hundredths, played twice.
bool MakeAnimatedGif(const TempFolder& folder) {
  const std::vector<std::vector<std::string>> steps = {
      {"convert", "-size", "40x24", "gradient:orange-navy", "a.png"},
      {"convert", "-size", "40x24", "xc:none", "-fill", "red", "-draw", "rectangle 5,5 20,15",
       "b.png"},
      {"convert", "-size", "40x24", "xc:teal", "-fill", "white", "-draw", "circle 20,12 20,4",
       "c.png"},
      {"convert",  "-loop", "2",      "-delay",   "10",         "a.png",   "-dispose", "previous",
       "-delay",   "0",     "b.png",  "-dispose", "background", "-delay",  "30",       "c.png",
       "-dispose", "none",  "-delay", "45",       "b.png",      "anim.gif"}};
  for (const auto& argv : steps) {
    if (RunProgram(argv, folder.path()).exitCode != 0) return false;
  }
  return true;
}

}  // namespace

TEST(ConvertAnimationTool, AnimatedGifToWebpKeepsEveryFrame) {
  PIXTREL_SKIP_WITHOUT_PROGRAM("convert");
  PIXTREL_SKIP_WITHOUT_PROGRAM("webpmux");
  TempFolder folder;
  ASSERT_TRUE(MakeAnimatedGif(folder));
  const RunResult r = RunBatchTool({"convert", "--to", "webp", "anim.gif"}, folder.path());
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto info = ReadWebpmuxInfo(folder / "anim.gif.webp");
  ASSERT_TRUE(info);
  EXPECT_EQ(info->width, 40);
  EXPECT_EQ(info->height, 24);
  EXPECT_EQ(info->loop, 2);
  int total = 0;
  for (const WebpmuxFrame& f : info->frames) {
    total += f.duration;
    EXPECT_EQ(f.compression, "lossless");  // a GIF's pixels are kept exactly
  }
  EXPECT_EQ(total, 850);
  // Every moment shows what ImageMagick shows of the source.
  const auto source = MagickFrames(folder / "anim.gif");
  const auto output = PilFrames(folder / "anim.gif.webp");
  ASSERT_TRUE(source);
  if (!output) PIXTREL_SKIP_WITHOUT_PIL();
  ASSERT_EQ(output->rgba.size(), 4u) << info->text;
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(FrameDifference(source->rgba[i], output->rgba[i], 40), "") << "frame " << i;
    EXPECT_EQ(output->durations[i], source->durations[i] * 10) << "frame " << i;
  }
}

TEST(ConvertAnimationTool, AnimatedWebpToGifKeepsEveryFrame) {
  PIXTREL_SKIP_WITHOUT_PROGRAM("convert");
  PIXTREL_SKIP_WITHOUT_PROGRAM("img2webp");
  PIXTREL_SKIP_WITHOUT_PROGRAM("gifsicle");
  PIXTREL_SKIP_WITHOUT_PIL();
  TempFolder folder;
  for (const auto& argv : std::vector<std::vector<std::string>>{
           {"convert", "-size", "32x20", "xc:skyblue", "-fill", "brown", "-draw",
            "rectangle 0,14 31,19", "a.png"},
           {"convert", "a.png", "-fill", "yellow", "-draw", "circle 8,6 8,2", "b.png"},
           {"convert", "a.png", "-fill", "yellow", "-draw", "circle 20,5 20,1", "c.png"},
           {"img2webp", "-loop", "0", "-lossless", "-d", "120", "a.png", "-d", "80", "b.png", "-d",
            "2000", "c.png", "-o", "anim.webp"}}) {
    ASSERT_EQ(RunProgram(argv, folder.path()).exitCode, 0) << argv.front();
  }
  const RunResult r = RunBatchTool({"convert", "--to", "gif", "anim.webp"}, folder.path());
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto info = ReadGifsicleInfo(folder / "anim.webp.gif");
  ASSERT_TRUE(info);
  EXPECT_EQ(info->images, 3);
  EXPECT_EQ(info->loop, "forever");
  ASSERT_EQ(info->frames.size(), 3u);
  EXPECT_EQ(info->frames[0].delayCs, 12);
  EXPECT_EQ(info->frames[1].delayCs, 8);
  EXPECT_EQ(info->frames[2].delayCs, 200);
  EXPECT_LT(info->frames[2].width, 32);  // only the sun's move is stored
  // Few colours: every frame exactly as the source plays.
  const auto source = PilFrames(folder / "anim.webp");
  const auto output = PilFrames(folder / "anim.webp.gif");
  ASSERT_TRUE(source && output);
  ASSERT_EQ(output->rgba.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i)
    EXPECT_EQ(FrameDifference(source->rgba[i], output->rgba[i], 32), "") << "frame " << i;
}

TEST(ConvertAnimationTool, AnimatedGifToGifKeepsEveryFrame) {
  PIXTREL_SKIP_WITHOUT_PROGRAM("convert");
  TempFolder folder;
  ASSERT_TRUE(MakeAnimatedGif(folder));
  const RunResult r = RunBatchTool({"convert", "--to", "gif", "anim.gif"}, folder.path());
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const AnimatedPicture source = DecodeGifAnimation(FileContents(folder / "anim.gif"));
  const AnimatedPicture output = DecodeGifAnimation(FileContents(folder / "anim.gif.gif"));
  EXPECT_EQ(output.plays, 2);
  ASSERT_EQ(output.frames.size(), source.frames.size());
  for (std::size_t i = 0; i < source.frames.size(); ++i) {
    EXPECT_EQ(output.frames[i].delayMs, source.frames[i].delayMs);
    EXPECT_EQ(FrameDifference(RgbaOf(source.frames[i]), RgbaOf(output.frames[i]), 40), "")
        << "frame " << i;
  }
}

// Formats without animations, and the classic commands, take the first frame as before.
TEST(ConvertAnimationTool, OtherTargetsAndClassicCommandsTakeTheFirstFrame) {
  PIXTREL_SKIP_WITHOUT_PROGRAM("convert");
  PIXTREL_SKIP_WITHOUT_PIL();
  TempFolder folder;
  ASSERT_TRUE(MakeAnimatedGif(folder));
  ASSERT_EQ(RunBatchTool({"convert", "--to", "png", "anim.gif"}, folder.path()).exitCode, 0);
  ASSERT_EQ(RunBatchTool({"resize-gif", "--pixels", "20", "anim.gif"}, folder.path()).exitCode, 0);
  const auto png = PilFrames(folder / "anim.gif.png");
  ASSERT_TRUE(png);
  EXPECT_EQ(png->rgba.size(), 1u);
  const auto first = MagickFrames(folder / "anim.gif");
  ASSERT_TRUE(first);
  EXPECT_EQ(FrameDifference(first->rgba[0], png->rgba[0], 40), "");
  const TGIFImage resized = ReadGifFile(folder / "mini-anim.gif");
  EXPECT_EQ(resized.images.size(), 1u);
}

// A still GIF or WebP converted between the two takes the path it always took.
TEST(ConvertAnimationTool, StillPicturesConvertAsBefore) {
  TempFolder folder;
  const AnimatedPicture one = [] {
    AnimatedPicture a;
    a.width = 9;
    a.height = 7;
    a.plays = 1;
    a.frames.push_back(SolidFrame(9, 7, 10, 200, 30));
    return a;
  }();
  WriteBytes(folder / "still.gif", EncodeGifAnimation(one));
  const RunResult r = RunBatchTool({"convert", "--to", "webp", "still.gif"}, folder.path());
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const Bytes webp = FileContents(folder / "still.gif.webp");
  // A still WebP file: a VP8L bitstream, no ANIM chunk.
  ASSERT_GT(webp.size(), 16u);
  EXPECT_EQ(std::string(webp.begin() + 12, webp.begin() + 16), "VP8L");
}
