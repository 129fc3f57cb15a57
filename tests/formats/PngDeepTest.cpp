// 16-bit PNG files read with their deep samples: the samples are the file's (as ImageMagick dumps
// them), and the 8-bit raster and alpha plane are exactly those of the ordinary reading, for every
// colour type that has 16 bits.
#include <gtest/gtest.h>

#include "codecs/Registry.h"
#include "codecs/png/PngFile.h"
#include "core/DeepSamples.h"
#include "operations/UprightPicture.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;

namespace pixtrel::test {
namespace {

struct Case {
  const char* name;
  std::vector<std::string> make;  // ImageMagick arguments before the output
  int channels;
  int colourType;  // what ImageMagick writes: grey 0, RGB 2, grey + alpha 4, RGBA 6
};

TEST(PngDeep, SixteenBitFilesGiveTheirSamplesAndTheSameEightBitPicture) {
  PIXTREL_SKIP_WITHOUT_PROGRAM("convert");
  TempFolder folder;
  const std::vector<Case> cases = {
      {"rgb", {"-size", "37x19", "gradient:rgb(1%,50%,99%)-rgb(97%,3%,40%)"}, 3, 2},
      {"rgba",
       {"-size", "37x19", "gradient:rgb(1%,50%,99%)-rgb(97%,3%,40%)", "(", "-size", "37x19",
        "gradient:gray(0%)-gray(100%)", ")", "-alpha", "off", "-compose", "CopyOpacity",
        "-composite"},
       4,
       6},
      {"grey", {"-size", "37x19", "gradient:gray(10%)-gray(70%)", "-colorspace", "Gray"}, 3, 0},
      {"grey-alpha",
       {"-size", "37x19", "gradient:gray(10%)-gray(70%)", "-colorspace", "Gray", "(", "-size",
        "37x19", "gradient:gray(100%)-gray(20%)", ")", "-alpha", "off", "-compose", "CopyOpacity",
        "-composite"},
       4,
       4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path png = folder / (std::string(c.name) + ".png");
    std::vector<std::string> argv{"convert"};
    argv.insert(argv.end(), c.make.begin(), c.make.end());
    argv.insert(argv.end(), {"-depth", "16", png.string()});
    ASSERT_EQ(RunProgram(argv).exitCode, 0);
    const Bytes bytes = FileContents(png);
    ASSERT_EQ(bytes[24], 16) << "not a 16-bit file";
    ASSERT_EQ(bytes[25], c.colourType);

    const DecodedPicture deep = ReadPngBytes(bytes, true);
    const DecodedPicture plain = ReadPngBytes(bytes);
    ASSERT_TRUE(deep.deep.has_value());
    EXPECT_FALSE(plain.deep.has_value());
    ASSERT_EQ(deep.deep->channels, c.channels);
    EXPECT_TRUE(SamePixels(std::get<Bitmap24>(deep.raster), std::get<Bitmap24>(plain.raster)));
    EXPECT_EQ(deep.alpha, plain.alpha);
    EXPECT_TRUE(DeepSamplesMatch(*deep.deep, deep.raster, deep.alpha ? &*deep.alpha : nullptr));

    // ImageMagick's own samples, big-endian 16 bits, RGB or RGBA.
    const fs::path raw = folder / "samples.raw";
    ASSERT_EQ(RunProgram({"convert", png.string(), "-depth", "16", "-endian", "MSB",
                          (c.channels == 4 ? "rgba:" : "rgb:") + raw.string()})
                  .exitCode,
              0);
    const Bytes samples = FileContents(raw);
    ASSERT_EQ(samples.size(), deep.deep->samples.size() * 2);
    for (std::size_t i = 0; i < deep.deep->samples.size(); ++i) {
      ASSERT_EQ(deep.deep->samples[i], (samples[2 * i] << 8) | samples[2 * i + 1])
          << "sample " << i;
    }
  }
}

TEST(PngDeep, EightBitFilesHaveNoDeepSamples) {
  const Bytes png = EncodePng(TestPattern(9, 7), nullptr, {});
  EXPECT_FALSE(ReadPngBytes(png, true).deep.has_value());
}

// Read for a writer that has no use for them (every one but AVIF and HEIC), the deep samples are
// dropped rather than carried and turned along; asked for, they come matching the picture.
TEST(PngDeep, ReadUprightKeepsDeepSamplesOnlyWhenAsked) {
  PIXTREL_SKIP_WITHOUT_PROGRAM("convert");
  TempFolder folder;
  const fs::path png = folder / "deep.png";
  ASSERT_EQ(RunProgram({"convert", "-size", "7x5", "gradient:rgb(1%,50%,99%)-rgb(97%,3%,40%)",
                        "-depth", "16", png.string()})
                .exitCode,
            0);
  const Bytes bytes = FileContents(png);
  const FormatRow& row = *RowForKey("png");
  const DecodedPicture plain = ReadUpright(bytes, row, true);
  EXPECT_FALSE(plain.deep.has_value());
  const DecodedPicture deep = ReadUpright(bytes, row, true, true);
  ASSERT_TRUE(deep.deep.has_value());
  EXPECT_TRUE(DeepSamplesMatch(*deep.deep, deep.raster, nullptr));
  EXPECT_TRUE(SamePixels(std::get<Bitmap24>(deep.raster), std::get<Bitmap24>(plain.raster)));
}

TEST(PngDeep, DeepSamplesNoLongerMatchAChangedPicture) {
  DeepSamples deep{2, 1, 3, {0, 257, 65535, 128, 129, 40000}};
  EightBitPicture picture = ReduceToEightBits(deep);
  // 128 / 257 rounds down, 129 / 257 up: libpng's rounding.
  EXPECT_EQ(PixelAt(picture.raster, 1, 0), (Bgr{156, 1, 0}));
  EXPECT_TRUE(DeepSamplesMatch(deep, picture.raster, nullptr));
  picture.raster.row(0)[0] ^= 1;
  EXPECT_FALSE(DeepSamplesMatch(deep, picture.raster, nullptr));
  const std::vector<std::uint8_t> alpha(2, 255);
  EXPECT_FALSE(DeepSamplesMatch(deep, ReduceToEightBits(deep).raster, &alpha));
  EXPECT_FALSE(DeepSamplesMatch(deep, Bitmap24(1, 2), nullptr));
}

}  // namespace
}  // namespace pixtrel::test
