// The three resize commands through pixtrel-batch on real files.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "codecs/bmp/Bmp.h"
#include "codecs/gif/GifCodec.h"
#include "codecs/jpeg/JpegImage.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;
using namespace pixtrel;
using namespace pixtrel::test;

namespace {

void WriteJpeg(const fs::path& file, int w, int h, bool progressive = false) {
  TJPEGImage picture;
  SetJpegRaster(picture, TestPattern(w, h));
  picture.Progressive = progressive;
  WriteJpegFile(picture, file);
}

std::pair<int, int> SizeOf(const TJPEGImage& p) {
  return {p.width(), p.height()};
}

int FileCount(const fs::path& folder) {
  return static_cast<int>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

TEST(ResizeTool, PhotosBothWaysAndBothMethods) {
  TempFolder dir;
  WriteJpeg(dir / "land.jpg", 4000, 3000);
  WriteJpeg(dir / "port.jpg", 3000, 4000, true);
  for (const char* method : {"better", "normal"}) {
    SCOPED_TRACE(method);
    const RunResult r = RunBatchTool(
        {"resize-jpg", "--method", method, "--jpeg-quality", "75", "land.jpg", "port.jpg"},
        dir.path());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const TJPEGImage land = ReadJpegFile(dir / "mini-land.jpg");
    const TJPEGImage port = ReadJpegFile(dir / "mini-port.jpg");
    EXPECT_EQ(SizeOf(land), std::make_pair(800, 600));
    EXPECT_EQ(SizeOf(port), std::make_pair(600, 800));
    EXPECT_FALSE(land.Progressive);
    EXPECT_TRUE(port.Progressive);
    PIXTREL_SKIP_WITHOUT_PIL();
    const auto pil = ReadWithPil(dir / "mini-port.jpg");
    ASSERT_TRUE(pil.has_value()) << "PIL cannot read the file";
    EXPECT_EQ(pil->width, 600);
    EXPECT_NE(pil->info.find("progressive"), std::string::npos);
  }
}

TEST(ResizeTool, SizesEnlargingAndRounding) {
  TempFolder dir;
  WriteBmpFile(TestPattern(500, 500), dir / "square.bmp");
  WriteBmpFile(TestPattern(8, 5), dir / "a.bmp");
  WriteBmpFile(TestPattern(8, 7), dir / "b.bmp");
  ASSERT_EQ(RunBatchTool({"resize-bmp", "square.bmp"}, dir.path()).exitCode, 0);
  EXPECT_EQ(RasterWidth(ReadBmpFile(dir / "mini-square.bmp")), 800);
  EXPECT_EQ(RasterHeight(ReadBmpFile(dir / "mini-square.bmp")), 800);
  ASSERT_EQ(RunBatchTool({"resize-bmp", "--pixels", "4", "a.bmp", "b.bmp"}, dir.path()).exitCode,
            0);
  EXPECT_EQ(RasterHeight(ReadBmpFile(dir / "mini-a.bmp")), 2);
  EXPECT_EQ(RasterHeight(ReadBmpFile(dir / "mini-b.bmp")), 4);
}

TEST(ResizeTool, SameSizeIsStillReencodedAtTheSaveQuality) {
  TempFolder dir;
  WriteJpeg(dir / "x.jpg", 800, 300);
  ASSERT_EQ(RunBatchTool({"resize-jpg", "--jpeg-quality", "20", "x.jpg"}, dir.path()).exitCode, 0);
  const Bytes source = FileContents(dir / "x.jpg"), out = FileContents(dir / "mini-x.jpg");
  EXPECT_NE(out, source);
  EXPECT_LT(out.size(), source.size() / 2);  // quality 20 against the source's 90
  EXPECT_EQ(SizeOf(JpegFromBytes(out)), std::make_pair(800, 300));
}

TEST(ResizeTool, PixelTexts) {
  TempFolder dir;
  WriteBmpFile(TestPattern(100, 50), dir / "p.bmp");
  ASSERT_EQ(RunBatchTool({"resize-bmp", "--pixels", " 64", "p.bmp"}, dir.path()).exitCode, 0);
  EXPECT_EQ(RasterWidth(ReadBmpFile(dir / "mini-p.bmp")), 64);
  ASSERT_EQ(RunBatchTool({"resize-bmp", "--pixels", "$28", "p.bmp"}, dir.path()).exitCode, 0);
  EXPECT_EQ(RasterWidth(ReadBmpFile(dir / "mini-p.bmp")), 40);
  fs::remove(dir / "mini-p.bmp");

  struct Bad {
    const char* text;
    const char* message;
  };
  for (const Bad& bad : {Bad{"640px", "'640px' is not a valid integer value"},
                         Bad{"", "'' is not a valid integer value"},
                         Bad{"0", "Invalid size 0: the longer side must be at least 1 pixel"},
                         Bad{"-3", "Invalid size -3: the longer side must be at least 1 pixel"}}) {
    const RunResult r = RunBatchTool({"resize-bmp", "--pixels", bad.text, "p.bmp"}, dir.path());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(LastLine(r.err), std::string("pixtrel-batch: p.bmp: ") + bad.message);
    EXPECT_EQ(FileCount(dir.path()), 1);
  }
}

TEST(ResizeTool, EightBitBmpComesBackTwentyFourBit) {
  TempFolder dir;
  PaletteBitmap p(10, 10, 8, {{0, 0, 0}, {255, 255, 255}});
  WriteBmpFile(p, dir / "p.bmp");
  for (const char* method : {"normal", "better"}) {
    ASSERT_EQ(RunBatchTool({"resize-bmp", "--method", method, "--pixels", "5", "p.bmp"}, dir.path())
                  .exitCode,
              0);
    EXPECT_TRUE(std::holds_alternative<Bitmap24>(ReadBmpFile(dir / "mini-p.bmp")));
  }
}

class ResizeGif : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!PythonWithPil()) PIXTREL_SKIP_MISSING_TOOL() << "Python with PIL makes the test GIFs";
  }
  // Rows of pixels, 't' transparent (index 0), 'r' red (index 1), in an 8x8 GIF.
  void MakeGif(const fs::path& file, const std::string& pattern) {
    const RunResult r = RunPython(
        "import sys\nfrom PIL import Image\n"
        "im = Image.new('P', (8, 8))\n"
        "im.putpalette([0, 255, 0, 255, 0, 0] + [0] * 762)\n"
        "p = sys.argv[2]\n"
        "im.putdata([0 if p[i % len(p)] == 't' else 1 for i in range(64)])\n"
        "im.save(sys.argv[1], transparency=0)\n",
        {file.string(), pattern});
    ASSERT_EQ(r.exitCode, 0) << r.err;
  }
  TempFolder dir_;
};

TEST_F(ResizeGif, BetterPutsWhiteWhereTransparent) {
  MakeGif(dir_ / "t.gif", "ttttrrrr");  // left half transparent, right half red
  ASSERT_EQ(RunBatchTool({"resize-gif", "--pixels", "16", "t.gif"}, dir_.path()).exitCode, 0);
  const auto pil = ReadWithPil(dir_ / "mini-t.gif");
  ASSERT_TRUE(pil.has_value());
  ASSERT_EQ(pil->width, 16);
  EXPECT_EQ(pil->info.find("transparency"), std::string::npos);
  const std::uint8_t* first = &pil->rgb[0];
  const std::uint8_t* last = &pil->rgb[(16 * 8 + 15) * 3];
  EXPECT_EQ(std::vector<int>(first, first + 3), (std::vector<int>{255, 255, 255}));
  EXPECT_EQ(std::vector<int>(last, last + 3), (std::vector<int>{255, 0, 0}));
}

// Normal quality only picks pixels, also where transparent and opaque pixels meet: each target
// pixel is the source pixel under its centre, see-through where that one is transparent.
TEST_F(ResizeGif, NormalShrinkPicksPixelsAndKeepsTransparentOnesTransparent) {
  const std::string pattern = "ttrrrtrtrrtttrrt";  // rows of 8 from a 16-letter cycle
  MakeGif(dir_ / "c.gif", pattern);
  ASSERT_EQ(
      RunBatchTool({"resize-gif", "--method", "normal", "--pixels", "4", "c.gif"}, dir_.path())
          .exitCode,
      0);
  const auto pil = PilRgba(dir_ / "mini-c.gif");
  ASSERT_TRUE(pil.has_value());
  ASSERT_EQ(pil->width, 4);
  ASSERT_EQ(pil->height, 4);
  int clear = 0, red = 0;
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) {
      const int source = (2 * y + 1) * 8 + (2 * x + 1);  // the pixel under the centre
      const bool transparent = pattern[source % pattern.size()] == 't';
      const std::uint8_t* p = pil->at(x, y);
      if (transparent) {
        EXPECT_EQ(p[3], 0) << x << "," << y;
      } else {
        EXPECT_EQ(std::vector<int>(p, p + 4), (std::vector<int>{255, 0, 0, 255})) << x << "," << y;
      }
      (transparent ? clear : red)++;
    }
  }
  EXPECT_GT(clear, 0);  // the pattern puts both kinds under the centres
  EXPECT_GT(red, 0);
}

TEST_F(ResizeGif, AnimatedComesOutAsItsFirstFrame) {
  const RunResult made = RunPython(
      "import sys\nfrom PIL import Image\n"
      "a = Image.new('RGB', (20, 10), (255, 0, 0))\nb = Image.new('RGB', (20, 10), (0, 0, 255))\n"
      "a.save(sys.argv[1], save_all=True, append_images=[b], loop=0, duration=100)\n",
      {(dir_ / "anim.gif").string()});
  ASSERT_EQ(made.exitCode, 0) << made.err;
  ASSERT_EQ(RunBatchTool({"resize-gif", "--pixels", "10", "anim.gif"}, dir_.path()).exitCode, 0);
  const RunResult frames = RunPython(
      "import sys\nfrom PIL import Image\nim = Image.open(sys.argv[1])\n"
      "print(getattr(im, 'n_frames', 1), im.convert('RGB').getpixel((5, 2)), "
      "im.info.get('loop'))\n",
      {(dir_ / "mini-anim.gif").string()});
  EXPECT_EQ(frames.out, "1 (255, 0, 0) None\n");
  EXPECT_EQ(FileContents(dir_ / "mini-anim.gif").at(4), '7');  // GIF87a
}

TEST(ResizeTool, KeepDateAndSubfolder) {
  TempFolder dir;
  WriteBmpFile(TestPattern(30, 20), dir / "k.bmp");
  fs::last_write_time(dir / "k.bmp", fs::last_write_time(dir / "k.bmp") - std::chrono::hours(48));
  ASSERT_EQ(RunBatchTool({"resize-bmp", "--save", "subfolder", "--keep-date", "k.bmp"}, dir.path())
                .exitCode,
            0);
  const auto delta =
      fs::last_write_time(dir / "k.bmp") - fs::last_write_time(dir / "vantro" / "k.bmp");
  EXPECT_LT(std::chrono::abs(delta), std::chrono::seconds(2));
}

}  // namespace
