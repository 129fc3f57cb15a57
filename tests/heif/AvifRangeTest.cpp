// What libheif 1.15 reads wrongly on its own and our bridge corrects: grey AVIF pictures stored in
// limited range at any depth, and alpha planes coded in limited range. avifdec (libavif) is the
// independent reader our decoding is held to.
#include <gtest/gtest.h>

#include <cmath>

#include "codecs/heif/EightBitLevel.h"
#include "codecs/heif/HeifFile.h"
#include "tests/heif/HeifTools.h"

namespace fs = std::filesystem;
using namespace pixtrel;
using namespace pixtrel::test;

namespace {

// avifdec's reading of the file, at 16 bits a channel (its 8-bit grey output leaves a limited
// range unstretched), as PIL gives it back: 8 bits a channel.
RgbaPicture Avifdec(const TempFolder& folder, const Bytes& avif) {
  const fs::path file = folder / "compared.avif", png = folder / "avifdec.png";
  WriteBytes(file, avif);
  const RunResult r = RunProgram({"avifdec", "-d", "16", file.string(), png.string()});
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  std::optional<RgbaPicture> picture = PilRgba(png);
  EXPECT_TRUE(picture.has_value());
  return picture.value_or(RgbaPicture{});
}

// Peak signal-to-noise ratio of our colour against avifdec's, in dB (99 for identical pictures).
double Psnr(const DecodedPicture& ours, const RgbaPicture& theirs) {
  const Bitmap24 colour = ToBitmap24(ours.raster);
  if (colour.width() != theirs.width || colour.height() != theirs.height) return 0;
  double squares = 0;
  for (int y = 0; y < colour.height(); ++y) {
    for (int x = 0; x < colour.width(); ++x) {
      for (int c = 0; c < 3; ++c) {
        const double d = colour.row(y)[x * 3 + 2 - c] - theirs.at(x, y)[c];
        squares += d * d;
      }
    }
  }
  if (squares == 0) return 99;
  return 10 * std::log10(255.0 * 255.0 * 3 * colour.width() * colour.height() / squares);
}

int AlphaDifference(const DecodedPicture& ours, const RgbaPicture& theirs) {
  if (!ours.alpha) return 255;
  int most = 0;
  for (int y = 0; y < theirs.height; ++y) {
    for (int x = 0; x < theirs.width; ++x) {
      const int a = (*ours.alpha)[static_cast<std::size_t>(y) * theirs.width + x];
      most = std::max(most, std::abs(a - theirs.at(x, y)[3]));
    }
  }
  return most;
}

// A smooth grey ramp over every level, dark to light left to right, a little down the rows.
Bitmap24 GreyRamp(int width, int height) {
  Bitmap24 picture(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int level = std::min(255, x * 255 / (width - 1) + y / 4);
      std::fill_n(picture.row(y) + x * 3, 3, static_cast<std::uint8_t>(level));
    }
  }
  return picture;
}

#define SKIP_WITHOUT_AVIF_TOOLS()          \
  PIXTREL_SKIP_WITHOUT_ENCODER("avifenc"); \
  PIXTREL_SKIP_WITHOUT_ENCODER("avifdec"); \
  PIXTREL_SKIP_WITHOUT_PIL()

TEST(AvifRange, GreyPicturesOfEveryDepthAndRangeReadAsAvifdecReadsThem) {
  SKIP_WITHOUT_AVIF_TOOLS();
  TempFolder folder;
  const auto png = WriteSourcePng(folder, GreyRamp(64, 40));
  for (const char* depth : {"8", "10", "12"}) {
    for (const char* range : {"limited", "full"}) {
      std::string log;
      const Bytes avif =
          Encode(folder, "avifenc",
                 {"--yuv", "400", "-d", depth, "--range", range, "--min", "0", "--max", "4"}, png,
                 "grey.avif", &log);
      ASSERT_FALSE(avif.empty()) << log;
      const DecodedPicture ours = ReadHeifBytes(avif);
      EXPECT_GE(Psnr(ours, Avifdec(folder, avif)), 45.0) << depth << " bits, " << range;
      EXPECT_FALSE(ours.alpha.has_value());
    }
  }
}

TEST(AvifRange, AGreyPictureWithAlphaKeepsItsAlpha) {
  SKIP_WITHOUT_AVIF_TOOLS();
  TempFolder folder;
  const std::vector<std::uint8_t> alpha = AlphaRamp(48, 32);
  const auto png = WriteSourcePng(folder, GreyRamp(48, 32), &alpha);
  std::string log;
  const Bytes avif = Encode(folder, "avifenc", {"--yuv", "400", "-d", "10", "--range", "limited"},
                            png, "grey-alpha.avif", &log);
  ASSERT_FALSE(avif.empty()) << log;
  const DecodedPicture ours = ReadHeifBytes(avif);
  const RgbaPicture theirs = Avifdec(folder, avif);
  EXPECT_GE(Psnr(ours, theirs), 45.0);
  EXPECT_LE(AlphaDifference(ours, theirs), 1);
}

TEST(AvifRange, AnAlphaPlaneCodedInLimitedRangeIsStretchedToFullRange) {
  SKIP_WITHOUT_AVIF_TOOLS();
  TempFolder folder;
  // Opaque on the left half, an alpha ramp on the right.
  const int width = 64, height = 48;
  const Bitmap24 colour = TestPattern(width, height, 3);
  std::vector<std::uint8_t> alpha(static_cast<std::size_t>(width) * height);
  Bitmap24 alphaAsGrey(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const auto a = static_cast<std::uint8_t>(x < width / 2 ? 255 : (x - width / 2) * 8 + y);
      alpha[static_cast<std::size_t>(y) * width + x] = a;
      std::fill_n(alphaAsGrey.row(y) + x * 3, 3, a);
    }
  }
  std::string log;
  const Bytes withAlpha =
      Encode(folder, "avifenc", {}, WriteSourcePng(folder, colour, &alpha), "rgba.avif", &log);
  ASSERT_FALSE(withAlpha.empty()) << log;
  const Bytes limitedGrey =
      Encode(folder, "avifenc", {"--yuv", "400", "--range", "limited", "--min", "0", "--max", "0"},
             WriteSourcePng(folder, alphaAsGrey), "alpha.avif", &log);
  ASSERT_FALSE(limitedGrey.empty()) << log;
  const RunResult spliced =
      RunProgram({*PythonWithPil(), PIXTREL_SOURCE_DIR "/tests/heif/limited_range_alpha.py",
                  (folder / "rgba.avif").string(), (folder / "alpha.avif").string(),
                  (folder / "spliced.avif").string()});
  ASSERT_EQ(spliced.exitCode, 0) << spliced.err;
  const Bytes avif = FileContents(folder / "spliced.avif");

  const DecodedPicture ours = ReadHeifBytes(avif);
  const RgbaPicture theirs = Avifdec(folder, avif);
  ASSERT_TRUE(ours.alpha.has_value());
  EXPECT_LE(AlphaDifference(ours, theirs), 1);
  EXPECT_GE(Psnr(ours, theirs), 45.0);
  // The opaque half is opaque, not 235/255 see-through.
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width / 2; ++x)
      ASSERT_EQ((*ours.alpha)[static_cast<std::size_t>(y) * width + x], 255) << x << "," << y;
  }
}

TEST(AvifRange, SamplesAreScaledToEightBitsByTheirRange) {
  // Full range: 0..2^bits-1 onto 0..255, rounded.
  EXPECT_EQ(EightBitLevel(200, 8, false), 200);
  EXPECT_EQ(EightBitLevel(1023, 10, false), 255);
  EXPECT_EQ(EightBitLevel(512, 10, false), 128);  // 512 * 255 / 1023 = 127.6
  EXPECT_EQ(EightBitLevel(4095, 12, false), 255);
  // Limited range: 16..235 (times 4 at 10 bits, 16 at 12) onto 0..255, clamped outside.
  EXPECT_EQ(EightBitLevel(16, 8, true), 0);
  EXPECT_EQ(EightBitLevel(10, 8, true), 0);
  EXPECT_EQ(EightBitLevel(235, 8, true), 255);
  EXPECT_EQ(EightBitLevel(240, 8, true), 255);
  EXPECT_EQ(EightBitLevel(126, 8, true), 128);  // 110 * 255 / 219 = 128.08
  EXPECT_EQ(EightBitLevel(64, 10, true), 0);
  EXPECT_EQ(EightBitLevel(940, 10, true), 255);
  EXPECT_EQ(EightBitLevel(502, 10, true), 128);  // 438 * 255 / 876 = 127.5, half up
  EXPECT_EQ(EightBitLevel(3760, 12, true), 255);
}

}  // namespace
