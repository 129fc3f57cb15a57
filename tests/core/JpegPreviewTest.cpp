// Display decoding: the scale picked for the size shown, the pixels against the reference
// decoder at that scale, and the errors, which are those of the program's own decoding.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "codecs/jpeg/JpegImage.h"
#include "codecs/jpeg/JpegPreview.h"
#include "core/Errors.h"
#include "tests/support/TestSupport.h"

using namespace pixtrel;
using namespace pixtrel::test;

namespace {

Bytes Encode(const Bitmap24& bitmap, bool progressive) {
  TJPEGImage picture;
  SetJpegRaster(picture, bitmap);
  picture.Quality = 90;
  picture.Progressive = progressive;
  EncodeJpeg(picture);
  return picture.data();
}

// The picture as djpeg decodes it at eighths/8 with the integer DCT, as BGR rows.
Bitmap24 ReferenceDecoding(const Bytes& jpeg, int eighths) {
  TempFolder folder;
  WriteBytes(folder / "in.jpg", jpeg);
  const RunResult r =
      RunProgram({"djpeg", "-scale", std::to_string(eighths) + "/8", "-dct", "int", "-outfile",
                  (folder / "out.ppm").string(), (folder / "in.jpg").string()});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  std::ifstream in(folder / "out.ppm", std::ios::binary);
  std::string magic;
  int width = 0, height = 0, maximum = 0;
  in >> magic >> width >> height >> maximum;
  in.get();
  const Bytes rgb((std::istreambuf_iterator<char>(in)), {});
  Bitmap24 result(width, height);
  for (int y = 0; y < height && rgb.size() == std::size_t(width) * height * 3; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
      result.row(y)[3 * x] = p[2], result.row(y)[3 * x + 1] = p[1], result.row(y)[3 * x + 2] = p[0];
    }
  }
  return result;
}

}  // namespace

TEST(JpegPreview, TheSmallestEighthThatStillCoversTheSizeShown) {
  EXPECT_EQ(DisplayScaleEighths(6000, 4000, 1500, 1000), 2);  // a quarter exactly
  EXPECT_EQ(DisplayScaleEighths(6000, 4000, 1600, 1067), 3);  // 2/8 is 1500 wide: too small
  EXPECT_EQ(DisplayScaleEighths(6000, 4000, 750, 500), 1);
  EXPECT_EQ(DisplayScaleEighths(6000, 4000, 751, 1), 2);  // either side can ask for more
  EXPECT_EQ(DisplayScaleEighths(6000, 4000, 1, 501), 2);
  EXPECT_EQ(DisplayScaleEighths(6000, 4000, 5250, 3500), 7);
  EXPECT_EQ(DisplayScaleEighths(6000, 4000, 5251, 3500), 8);
  EXPECT_EQ(DisplayScaleEighths(6000, 4000, 6000, 4000), 8);  // the viewer's full size
  EXPECT_EQ(DisplayScaleEighths(6000, 4000, 9000, 9000), 8);  // never more than that
  // Sides round up as the codec rounds them: 1001 x 1/8 gives 126.
  EXPECT_EQ(DisplayScaleEighths(1001, 3, 126, 1), 1);
  EXPECT_EQ(DisplayScaleEighths(1001, 3, 127, 1), 2);
  EXPECT_EQ(DisplayScaleEighths(6, 10, 2, 2), 2);  // 1/8 gives 1 x 2
  EXPECT_EQ(DisplayScaleEighths(1, 1, 1, 1), 1);
}

TEST(JpegPreview, EveryScaleGivesTheReferenceDecodersPixels) {
  if (!HaveProgram("djpeg")) PIXTREL_SKIP_MISSING_TOOL() << "djpeg";
  for (bool progressive : {false, true}) {
    const Bytes jpeg = Encode(TestPattern(601, 403, 4), progressive);
    const TJPEGImage picture = JpegFromBytes(jpeg);
    for (int eighths = 1; eighths <= 8; ++eighths) {
      SCOPED_TRACE((progressive ? "progressive " : "baseline ") + std::to_string(eighths));
      // Shown at the scale's own size; one pixel more on a side needs the next scale.
      const int width = (601 * eighths + 7) / 8, height = (403 * eighths + 7) / 8;
      const Raster shown = DecodeJpegForDisplay(picture, width, height);
      ASSERT_EQ(RasterWidth(shown), width);
      ASSERT_EQ(RasterHeight(shown), height);
      if (eighths < 8) {
        EXPECT_GT(RasterWidth(DecodeJpegForDisplay(picture, width, height + 1)), width);
      }
      EXPECT_TRUE(SamePixels(std::get<Bitmap24>(shown), ReferenceDecoding(jpeg, eighths)));
    }
  }
}

TEST(JpegPreview, GreyAndCmykFilesAndThePictureLeftAsItWas) {
  // A one-component file comes as grey levels at the scaled size.
  TJPEGImage grey;
  grey.SetGreyscale(true);
  SetJpegRaster(grey, Bitmap24(64, 48, 77));
  EncodeJpeg(grey);
  const TJPEGImage read = JpegFromBytes(grey.data());
  const Raster small = DecodeJpegForDisplay(read, 16, 12);
  ASSERT_TRUE(std::holds_alternative<PaletteBitmap>(small));
  const Bitmap24 levels = ToBitmap24(small);
  EXPECT_EQ(levels.width(), 16);
  EXPECT_NEAR(PixelAt(levels, 8, 6).g, 77, 2);
  // Decoding for display neither fills nor changes the picture.
  EXPECT_FALSE(read.hasRaster());

  if (!HaveProgram("convert")) PIXTREL_SKIP_MISSING_TOOL() << "ImageMagick";
  TempFolder folder;
  ASSERT_EQ(RunProgram({"convert", "-size", "80x60", "xc:orange", "-colorspace", "CMYK",
                        (folder / "cmyk.jpg").string()})
                .exitCode,
            0);
  const Raster cmyk = DecodeJpegForDisplay(ReadJpegFile(folder / "cmyk.jpg"), 20, 15);
  const Bitmap24& colour = std::get<Bitmap24>(cmyk);
  ASSERT_EQ(colour.width(), 20);
  ASSERT_EQ(colour.height(), 15);
  EXPECT_GT(PixelAt(colour, 10, 7).r, 200);
  EXPECT_LT(PixelAt(colour, 10, 7).b, 60);
}

TEST(JpegPreview, FailuresAreThoseOfTheProgramsDecoding) {
  const Bytes whole = Encode(TestPattern(120, 80), false);
  const TJPEGImage cut = JpegFromBytes(Bytes(whole.begin(), whole.begin() + whole.size() / 2));
  try {
    DecodeJpegForDisplay(cut, 30, 20);
    ADD_FAILURE() << "a cut file was shown";
  } catch (const EJPEG& e) {
    EXPECT_STREQ(e.what(), "JPEG file is damaged: data ends early");
  }
  EXPECT_TRUE(RasterEmpty(DecodeJpegForDisplay(TJPEGImage(), 30, 20)));
}
