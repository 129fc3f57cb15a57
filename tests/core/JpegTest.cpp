// JPEG reading, decoding and encoding with the settings each command relies on.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <random>

#include "codecs/jpeg/JpegImage.h"
#include "core/Errors.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;
using namespace pixtrel;
using namespace pixtrel::test;

namespace {

Bytes Encode(const Raster& raster, int quality, bool progressive = false, bool grey = false) {
  TJPEGImage picture;
  picture.SetGreyscale(grey);  // before the raster: changing it drops a held raster
  SetJpegRaster(picture, raster);
  picture.Quality = quality;
  picture.Progressive = progressive;
  EncodeJpeg(picture);
  return picture.data();
}

// The photo-like test picture, encoded once.
const Bytes& Photo() {
  static const Bytes bytes = Encode(TestPattern(120, 80), 92);
  return bytes;
}

std::string ErrorOf(Bytes bytes, bool decode = true) {
  try {
    TJPEGImage picture = JpegFromBytes(std::move(bytes));
    if (decode) DecodeJpeg(picture);
    return "ok";
  } catch (const Exception& e) {
    return e.what();
  }
}

// Offset of the first start-of-frame marker's height field.
std::size_t FrameSizeOffset(const Bytes& b) {
  for (std::size_t i = 2; i + 9 < b.size(); ++i) {
    if (b[i] == 0xFF && (b[i + 1] == 0xC0 || b[i + 1] == 0xC2)) return i + 5;
  }
  return 0;
}

TEST(Jpeg, NewPictureSettings) {
  TJPEGImage picture;
  EXPECT_EQ(picture.Quality, 90);
  EXPECT_FALSE(picture.Progressive);
  EXPECT_FALSE(picture.Greyscale());
}

TEST(Jpeg, ReadingSetsSizeAndProgressiveWithoutDecoding) {
  const TJPEGImage baseline = JpegFromBytes(Photo());
  EXPECT_EQ(baseline.width(), 120);
  EXPECT_EQ(baseline.height(), 80);
  EXPECT_FALSE(baseline.Progressive);
  EXPECT_FALSE(baseline.hasRaster());
  EXPECT_TRUE(JpegFromBytes(Encode(TestPattern(40, 30), 80, true)).Progressive);
}

TEST(Jpeg, ReencodingKeepsProgressive) {
  for (bool grey : {false, true}) {
    TJPEGImage picture = JpegFromBytes(Encode(TestPattern(64, 48), 80, true));
    picture.SetGreyscale(grey);
    DecodeJpeg(picture);
    picture.Quality = 50;
    EncodeJpeg(picture);
    EXPECT_TRUE(JpegFromBytes(picture.data()).Progressive);
    PIXTREL_SKIP_WITHOUT_PIL();
    TempFolder folder;
    WriteBytes(folder / "p.jpg", picture.data());
    const auto read = ReadWithPil(folder / "p.jpg");
    ASSERT_TRUE(read.has_value());
    EXPECT_NE(read->info.find("progressive"), std::string::npos) << read->info;
    EXPECT_EQ(read->mode, grey ? "L" : "RGB");
  }
}

TEST(Jpeg, QualityZeroWritesTheSameBytesAsOne) {
  const Raster raster = TestPattern(50, 30);
  EXPECT_EQ(Encode(raster, 0), Encode(raster, 1));
  EXPECT_NE(Encode(raster, 1), Encode(raster, 2));
}

TEST(Jpeg, GreyscaleDecodesTo236DitheredLevels) {
  for (bool oneComponentFile : {true, false}) {
    SCOPED_TRACE(oneComponentFile ? "one-component file" : "greyscale asked of a colour file");
    TJPEGImage picture = JpegFromBytes(Encode(TestPattern(64, 64), 90, false, oneComponentFile));
    if (!oneComponentFile) picture.SetGreyscale(true);
    DecodeJpeg(picture);
    ASSERT_TRUE(std::holds_alternative<PaletteBitmap>(picture.raster()));
    const auto& grey = std::get<PaletteBitmap>(picture.raster());
    EXPECT_EQ(grey.bitsPerPixel(), 8);
    ASSERT_EQ(grey.palette().size(), 236u);
    EXPECT_EQ(grey.palette().front(), (Rgb{0, 0, 0}));
    EXPECT_EQ(grey.palette().back(), (Rgb{255, 255, 255}));
    for (std::size_t i = 1; i < grey.palette().size(); ++i) {
      const Rgb& c = grey.palette()[i];
      EXPECT_TRUE(c.r == c.g && c.g == c.b);
      EXPECT_GT(c.r, grey.palette()[i - 1].r);
    }
  }
}

TEST(Jpeg, ChangingGreyscaleDropsTheDecodedRaster) {
  TJPEGImage picture = JpegFromBytes(Photo());
  DecodeJpeg(picture);
  EXPECT_TRUE(std::holds_alternative<Bitmap24>(picture.raster()));
  picture.SetGreyscale(true);
  EXPECT_FALSE(picture.hasRaster());
  DecodeJpeg(picture);
  EXPECT_TRUE(std::holds_alternative<PaletteBitmap>(picture.raster()));
}

TEST(Jpeg, GreyscaleEncodingWritesOneComponent) {
  TJPEGImage picture = JpegFromBytes(Photo());
  picture.SetGreyscale(true);
  DecodeJpeg(picture);
  EncodeJpeg(picture);
  TJPEGImage back = JpegFromBytes(picture.data());
  DecodeJpeg(back);  // a one-component file decodes to grey levels
  EXPECT_TRUE(std::holds_alternative<PaletteBitmap>(back.raster()));
}

TEST(Jpeg, SetRasterKeepsSettingsAndDropsBytes) {
  TJPEGImage picture = JpegFromBytes(Encode(TestPattern(16, 16), 70, true));
  picture.Quality = 33;
  SetJpegRaster(picture, Bitmap24(5, 4));
  EXPECT_TRUE(picture.data().empty());
  EXPECT_TRUE(picture.Progressive);
  EXPECT_EQ(picture.Quality, 33);
  EXPECT_EQ(picture.width(), 5);
}

TEST(Jpeg, EmptyPictures) {
  TJPEGImage empty = JpegFromBytes({});
  DecodeJpeg(empty);
  EXPECT_TRUE(RasterEmpty(empty.raster()));
  SetJpegRaster(empty, Bitmap24());
  EncodeJpeg(empty);
  EXPECT_TRUE(empty.data().empty());
}

TEST(Jpeg, DecodingMatchesTheReferenceDecoderWithTheSameSettings) {
  if (!HaveProgram("djpeg")) PIXTREL_SKIP_MISSING_TOOL() << "djpeg";
  TempFolder folder;
  WriteBytes(folder / "photo.jpg", Photo());
  const RunResult r =
      RunProgram({"djpeg", "-dct", "float", "-outfile", (folder / "photo.ppm").string(),
                  (folder / "photo.jpg").string()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  std::ifstream in(folder / "photo.ppm", std::ios::binary);
  const Bytes ppm((std::istreambuf_iterator<char>(in)), {});
  const std::size_t header = ppm.size() - 120 * 80 * 3;
  TJPEGImage picture = JpegFromBytes(Photo());
  DecodeJpeg(picture);
  const auto& b = std::get<Bitmap24>(picture.raster());
  for (int y = 0; y < 80; ++y) {
    for (int x = 0; x < 120; ++x) {
      const std::uint8_t* rgb = &ppm[header + (static_cast<std::size_t>(y) * 120 + x) * 3];
      ASSERT_EQ(PixelAt(b, x, y), (Bgr{rgb[2], rgb[1], rgb[0]})) << x << "," << y;
    }
  }
}

TEST(Jpeg, CmykFilesAreConvertedToRgb) {
  if (!HaveProgram("convert") || !PythonWithPil())
    PIXTREL_SKIP_MISSING_TOOL() << "ImageMagick and PIL";
  TempFolder folder;
  ASSERT_EQ(RunProgram({"convert", "-size", "40x30", "gradient:orange-navy", "-colorspace", "CMYK",
                        "-quality", "98", (folder / "cmyk.jpg").string()})
                .exitCode,
            0);
  TJPEGImage picture = ReadJpegFile(folder / "cmyk.jpg");
  DecodeJpeg(picture);
  const auto& b = std::get<Bitmap24>(picture.raster());
  const auto pil = ReadWithPil(folder / "cmyk.jpg");
  ASSERT_TRUE(pil.has_value());
  ASSERT_EQ(pil->mode, "CMYK");
  int worst = 0;
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 40; ++x) {
      const Bgr ours = PixelAt(b, x, y);
      const std::uint8_t* theirs = &pil->rgb[(static_cast<std::size_t>(y) * 40 + x) * 3];
      worst = std::max({worst, std::abs(ours.r - theirs[0]), std::abs(ours.g - theirs[1]),
                        std::abs(ours.b - theirs[2])});
    }
  }
  EXPECT_LE(worst, 3);
  // Orange at the top, navy at the bottom.
  EXPECT_GT(PixelAt(b, 20, 0).r, 200);
  EXPECT_LT(PixelAt(b, 20, 29).r, 40);
}

TEST(JpegMalformed, NotAJpegFile) {
  const Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13};
  EXPECT_EQ(ErrorOf(png, false), "JPEG error #53: Not a JPEG file: starts with 0x89 0x50");
}

TEST(JpegMalformed, TruncatedAtEveryOffsetIsAnError) {
  const Bytes whole = Encode(TestPattern(24, 16), 75, true);
  for (std::size_t cut = 1; cut < whole.size(); ++cut) {
    const std::string outcome = ErrorOf(Bytes(whole.begin(), whole.begin() + cut));
    const bool damaged = outcome == "JPEG file is damaged: data ends early";
    EXPECT_TRUE(damaged || outcome.rfind("JPEG error #", 0) == 0) << cut << ": " << outcome;
  }
}

TEST(JpegMalformed, AbsurdDimensionsAreRefusedFromTheHeader) {
  for (bool progressive : {false, true}) {
    Bytes b = Encode(TestPattern(8, 8), 50, progressive);
    const std::size_t at = FrameSizeOffset(b);
    ASSERT_NE(at, 0u);
    b[at] = 0xEA, b[at + 1] = 0x60, b[at + 2] = 0xEA, b[at + 3] = 0x60;  // 60000 x 60000
    const std::string outcome = ErrorOf(b, false);
    EXPECT_EQ(outcome.rfind("Picture too large", 0), 0u) << outcome;
  }
}

TEST(JpegMalformed, RandomByteFlipsNeverCrash) {
  std::mt19937 random(42);
  const Bytes base = Encode(TestPattern(32, 24), 80, true);
  for (int round = 0; round < 400; ++round) {
    Bytes b = base;
    for (int i = 0; i < 3; ++i)
      b[random() % b.size()] ^= static_cast<std::uint8_t>(1 + random() % 255);
    const std::string outcome = ErrorOf(b);
    EXPECT_FALSE(outcome.empty());
  }
}

}  // namespace

namespace {

// Rows handed over band by band make up exactly the picture DecodeJpeg gives.
TEST(JpegRows, BandsAssembleToTheDecodedPicture) {
  for (bool progressive : {false, true}) {
    for (bool grey : {false, true}) {
      SCOPED_TRACE(std::string(progressive ? "progressive" : "baseline") + (grey ? " grey" : ""));
      // Tall enough for several bands.
      TJPEGImage picture = JpegFromBytes(Encode(TestPattern(53, 301), 85, progressive, grey));
      Bitmap24 assembled(53, 301, 7);
      int calls = 0;
      DecodeJpegRows(picture, [&](const std::uint8_t* rows, std::size_t stride, int first, int n) {
        ++calls;
        for (int i = 0; i < n; ++i)
          std::memcpy(assembled.row(first + i), rows + i * stride, 53 * 3);
      });
      DecodeJpeg(picture);
      EXPECT_TRUE(SamePixels(assembled, ToBitmap24(picture.raster())));
      EXPECT_GE(calls, grey ? 1 : 3);
    }
  }
}

TEST(JpegRows, AConsumerErrorStopsTheDecoding) {
  const TJPEGImage picture = JpegFromBytes(Photo());
  int calls = 0;
  EXPECT_THROW(DecodeJpegRows(picture,
                              [&](const std::uint8_t*, std::size_t, int, int) {
                                ++calls;
                                throw Exception("stop here");
                              }),
               Exception);
  EXPECT_EQ(calls, 1);
}

}  // namespace
