// The resize routines in-process: the target size rule, and the Better BMP path against the
// plainly written reference evaluation of the resampler.
#include <gtest/gtest.h>

#include <random>
#include <stdexcept>

#include "codecs/Registry.h"
#include "codecs/bmp/Bmp.h"
#include "codecs/jpeg/JpegImage.h"
#include "core/Errors.h"
#include "imaging/ResampleBitmap.h"
#include "operations/ResizeFile.h"
#include "tests/imaging/ResampleReference.h"
#include "tests/support/TestSupport.h"

using namespace pixtrel;
using namespace pixtrel::test;

namespace {

// The settings' defaults otherwise: orientation applied, metadata kept, small pictures scaled.
void ResizeFile(const std::filesystem::path& source, const std::filesystem::path& output,
                const FormatRow& format, ResizeMethod method, int n, int jpegQuality) {
  ResizeSettings settings;
  settings.method = method;
  settings.n = n;
  settings.jpegQuality = jpegQuality;
  pixtrel::ResizeFile(source, output, format, settings);
}

TEST(ResizedSize, LongerSideBecomesNShorterSideRoundsHalfToEven) {
  struct Case {
    int w, h, n, tw, th;
  };
  const Case cases[] = {
      {4000, 3000, 800, 800, 600},
      {3000, 4000, 800, 600, 800},
      {500, 500, 800, 800, 800},
      {8, 5, 4, 4, 2},  // 2.5 rounds to 2
      {8, 7, 4, 4, 4},  // 3.5 rounds to 4
      {800, 600, 800, 800, 600},
      {1, 1, 1, 1, 1},
      {1000, 1, 10, 10, 1},  // 0.01 -> 1
      {3, 1000, 7, 1, 7},
  };
  for (const Case& c : cases) {
    const TargetSize s = ResizedSize(c.w, c.h, c.n);
    EXPECT_EQ(s.width, c.tw) << c.w << "x" << c.h << " to " << c.n;
    EXPECT_EQ(s.height, c.th) << c.w << "x" << c.h << " to " << c.n;
  }
}

TEST(ResizedSize, Refusals) {
  try {
    ResizedSize(10, 10, 0);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "Invalid size 0: the longer side must be at least 1 pixel");
  }
  EXPECT_THROW(ResizedSize(10, 10, -5), Exception);
  try {
    ResizedSize(0, 0, 100);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "Floating point division by zero");
  }
  EXPECT_THROW(ResizedSize(10, 10, 2000000000), Exception);  // beyond the picture limits
}

// The Better BMP member is exactly the resampler's definition, on random pictures shrunk and
// enlarged in each direction.
TEST(ResizeFile, BetterBmpMatchesTheReferenceEvaluation) {
  TempFolder folder;
  std::mt19937 random(99);
  const int sizes[][3] = {{37, 23, 12}, {37, 23, 90}, {16, 40, 25}, {64, 64, 17}, {9, 70, 120}};
  for (const auto& s : sizes) {
    SCOPED_TRACE(std::to_string(s[0]) + "x" + std::to_string(s[1]) + " to " + std::to_string(s[2]));
    Bitmap24 source(s[0], s[1]);
    for (int y = 0; y < s[1]; ++y)
      for (int x = 0; x < s[0] * 3; ++x)
        source.row(y)[x] = static_cast<std::uint8_t>(random());
    WriteBmpFile(source, folder / "in.bmp");
    ResizeFile(folder / "in.bmp", folder / "out.bmp", *RowForKey("bmp"), ResizeMethod::Better, s[2],
               89);
    const TargetSize size = ResizedSize(s[0], s[1], s[2]);
    const Bitmap24 expected = ReferenceResample(source, size.width, size.height,
                                                Lanczos3Entry().function, Lanczos3Entry().support);
    const Raster written = ReadBmpFile(folder / "out.bmp");
    ASSERT_TRUE(std::holds_alternative<Bitmap24>(written));
    EXPECT_TRUE(SamePixels(std::get<Bitmap24>(written), expected));
  }
}

TEST(ResizeFile, NormalBmpIsANearestNeighbourStretchAt24Bits) {
  TempFolder folder;
  PaletteBitmap source(4, 2, 8, {{10, 20, 30}, {200, 100, 50}});
  source.row(0)[1] = 1;
  source.row(1)[2] = 1;
  WriteBmpFile(source, folder / "in.bmp");
  ResizeFile(folder / "in.bmp", folder / "out.bmp", *RowForKey("bmp"), ResizeMethod::Normal, 8, 89);
  const Raster out = ReadBmpFile(folder / "out.bmp");
  ASSERT_TRUE(std::holds_alternative<Bitmap24>(out));
  const auto& b = std::get<Bitmap24>(out);
  ASSERT_EQ(b.width(), 8);
  ASSERT_EQ(b.height(), 4);
  EXPECT_EQ(PixelAt(b, 2, 0), (Bgr{50, 100, 200}));
  EXPECT_EQ(PixelAt(b, 3, 1), (Bgr{50, 100, 200}));
  EXPECT_EQ(PixelAt(b, 4, 3), (Bgr{50, 100, 200}));
  EXPECT_EQ(PixelAt(b, 0, 0), (Bgr{30, 20, 10}));
}

TEST(ResizeFile, NothingIsWrittenWhenTheSourceFails) {
  TempFolder folder;
  WriteBytes(folder / "bad.bmp", {'B', 'M', 1, 2, 3});
  EXPECT_THROW(ResizeFile(folder / "bad.bmp", folder / "mini-bad.bmp", *RowForKey("bmp"),
                          ResizeMethod::Better, 100, 89),
               Exception);
  EXPECT_FALSE(std::filesystem::exists(folder / "mini-bad.bmp"));
  // The format comes from the caller, not the extension: a BMP read as JPEG fails in the JPEG
  // reader.
  WriteBmpFile(Bitmap24(4, 4), folder / "real.bmp");
  EXPECT_THROW(ResizeFile(folder / "real.bmp", folder / "out.bmp", *RowForKey("jpg"),
                          ResizeMethod::Better, 100, 89),
               EJPEG);
}

TEST(ResizeFile, ARowThatCannotWriteFailsInsteadOfCountingAsDone) {
  // A row with no writer (and no route of its own) must fail the file, never pass it as resized
  // with nothing written.
  TempFolder folder;
  WriteBmpFile(Bitmap24(4, 4), folder / "a.bmp");
  FormatRow readOnly = *RowForKey("bmp");
  readOnly.encode = nullptr;
  EXPECT_THROW(
      ResizeFile(folder / "a.bmp", folder / "mini-a.bmp", readOnly, ResizeMethod::Better, 2, 89),
      Exception);
  EXPECT_FALSE(std::filesystem::exists(folder / "mini-a.bmp"));
  EXPECT_EQ(RowForKey("no-such-format"), nullptr);
}

TEST(ResizeFile, JpegKeepsProgressiveAndTakesTheQuality) {
  TempFolder folder;
  TJPEGImage source;
  SetJpegRaster(source, TestPattern(200, 100));
  source.Progressive = true;
  WriteJpegFile(source, folder / "p.jpg");
  ResizeFile(folder / "p.jpg", folder / "out.jpg", *RowForKey("jpg"), ResizeMethod::Better, 50, 30);
  TJPEGImage out = ReadJpegFile(folder / "out.jpg");
  EXPECT_TRUE(out.Progressive);
  EXPECT_EQ(out.width(), 50);
  EXPECT_EQ(out.height(), 25);
  // The file is the resampled picture encoded at quality 30, progressive.
  TJPEGImage again = ReadJpegFile(folder / "p.jpg");
  Raster decoded = TakeJpegRaster(again);
  Bitmap24 target(50, 25);
  ResampleBitmap(decoded, target, Lanczos3Entry().function, Lanczos3Entry().support);
  SetJpegRaster(again, std::move(target));
  again.Quality = 30;
  EncodeJpeg(again);
  EXPECT_EQ(again.data(), out.data());
}

}  // namespace
