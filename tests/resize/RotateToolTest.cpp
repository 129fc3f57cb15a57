// The rotate command through pixtrel-batch on a mixed selection.
#include <gtest/gtest.h>

#include "codecs/Registry.h"
#include "codecs/bmp/Bmp.h"
#include "codecs/gif/GifCodec.h"
#include "codecs/jpeg/JpegImage.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;
using namespace pixtrel;
using namespace pixtrel::test;

namespace {

// 3 x 2 with six distinct colours that the GIF palette holds exactly.
Bitmap24 Corners() {
  Bitmap24 b(3, 2);
  const Bgr colours[6] = {{0, 0, 255},   {0, 255, 0},   {255, 0, 0},
                          {0, 255, 255}, {255, 0, 255}, {255, 255, 0}};
  for (int i = 0; i < 6; ++i) {
    std::uint8_t* p = b.row(i / 3) + (i % 3) * 3;
    p[0] = colours[i].b, p[1] = colours[i].g, p[2] = colours[i].r;
  }
  return b;
}

Bitmap24 Read24(const fs::path& file) {
  const FormatRow* format = RowForFileName(file.string());
  if (format == RowForKey("bmp")) return ToBitmap24(ReadBmpFile(file));
  if (format == RowForKey("gif")) return ToBitmap24(GifFrameRaster(ReadGifFile(file)));
  if (format == RowForKey("jpg")) {
    TJPEGImage p = ReadJpegFile(file);
    return ToBitmap24(TakeJpegRaster(p));
  }
  return {};  // the formats of the other tests
}

// Source pixel (x, y) of a W x H picture lands here for each turn.
std::pair<int, int> Landing(const std::string& turn, int x, int y, int w, int h) {
  if (turn == "right") return {h - 1 - y, x};
  if (turn == "left") return {y, w - 1 - x};
  return {w - 1 - x, h - 1 - y};
}

TEST(RotateTool, MixedSelectionEachInItsOwnFormat) {
  TempFolder dir;
  const Bitmap24 source = Corners();
  WriteBmpFile(source, dir / "a.bmp");
  TGIFImage gif;
  SetGifRaster(gif, source);
  WriteGifFile(gif, dir / "b.gif");
  // JPEG: big blocks, so the colours survive compression closely.
  Bitmap24 blocks(48, 32);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 48; ++x) {
      const Bgr c = PixelAt(source, x / 16, y / 16);
      std::uint8_t* p = blocks.row(y) + x * 3;
      p[0] = c.b, p[1] = c.g, p[2] = c.r;
    }
  TJPEGImage jpeg;
  SetJpegRaster(jpeg, blocks);
  jpeg.Progressive = true;
  jpeg.Quality = 95;
  WriteJpegFile(jpeg, dir / "c.JPEG");

  for (const std::string turn : {"right", "left", "180"}) {
    SCOPED_TRACE(turn);
    const RunResult r =
        RunBatchTool({"rotate", "--turn", turn, "a.bmp", "b.gif", "c.JPEG"}, dir.path());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string prefix = turn + "-";
    const Bitmap24 bmp = Read24(dir / (prefix + "a.bmp"));
    const Bitmap24 fromGif = Read24(dir / (prefix + "b.gif"));
    const Bitmap24 fromJpeg = Read24(dir / (prefix + "c.JPEG"));
    const bool quarter = turn != "180";
    EXPECT_EQ(bmp.width(), quarter ? 2 : 3);
    EXPECT_EQ(fromJpeg.width(), quarter ? 32 : 48);
    for (int y = 0; y < 2; ++y) {
      for (int x = 0; x < 3; ++x) {
        const auto [lx, ly] = Landing(turn, x, y, 3, 2);
        EXPECT_EQ(PixelAt(bmp, lx, ly), PixelAt(source, x, y));
        EXPECT_EQ(PixelAt(fromGif, lx, ly), PixelAt(source, x, y));
        // The middle of the block in the turned JPEG.
        const auto [jx, jy] = Landing(turn, x * 16 + 8, y * 16 + 8, 48, 32);
        const Bgr got = PixelAt(fromJpeg, jx, jy), want = PixelAt(source, x, y);
        EXPECT_NEAR(got.r, want.r, 12);
        EXPECT_NEAR(got.g, want.g, 12);
        EXPECT_NEAR(got.b, want.b, 12);
      }
    }
    // Rotation rebuilds the JPEG: baseline.
    EXPECT_FALSE(ReadJpegFile(dir / (prefix + "c.JPEG")).Progressive);
  }
}

TEST(RotateTool, PaletteBmpComesBackTwentyFourBit) {
  TempFolder dir;
  WriteBmpFile(PaletteBitmap(4, 2, 8, {{9, 9, 9}}), dir / "p.bmp");
  ASSERT_EQ(RunBatchTool({"rotate", "p.bmp"}, dir.path()).exitCode, 0);
  const Raster out = ReadBmpFile(dir / "right-p.bmp");
  ASSERT_TRUE(std::holds_alternative<Bitmap24>(out));
  EXPECT_EQ(RasterWidth(out), 2);
}

TEST(RotateTool, UnknownExtensionStopsWithoutWritingOrReusing) {
  TempFolder dir;
  WriteBmpFile(Corners(), dir / "a.bmp");
  WriteBmpFile(Corners(), dir / "b.jpg2");
  const RunResult r = RunBatchTool({"rotate", "a.bmp", "b.jpg2"}, dir.path());
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(
      r.err.find(
          "pixtrel-batch: b.jpg2: Cannot rotate b.jpg2: unknown picture file extension (.jpg2)"),
      std::string::npos)
      << r.err;
  EXPECT_TRUE(fs::exists(dir / "right-a.bmp"));
  EXPECT_FALSE(fs::exists(dir / "right-b.jpg2"));
}

TEST(RotateTool, OverwriteAfterOkReplacesTheSources) {
  TempFolder dir;
  WriteBmpFile(Corners(), dir / "a.bmp");
  EXPECT_EQ(RunBatchTool({"rotate", "--save", "overwrite", "a.bmp"}, dir.path()).exitCode, 3);
  EXPECT_EQ(Read24(dir / "a.bmp").width(), 3);
  ASSERT_EQ(RunBatchTool({"rotate", "--save", "overwrite", "--yes", "a.bmp"}, dir.path()).exitCode,
            0);
  EXPECT_EQ(Read24(dir / "a.bmp").width(), 2);
}

}  // namespace
