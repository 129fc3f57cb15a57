// JPEG XL through pixtrel-batch, checked with libjxl's own tools and PIL: converting to it
// (a JPEG recompressed so djxl restores it bit for bit; lossless sources kept exactly; lossy ones
// at the save quality), resizing it, and reading it (orientation, alpha, 16 bits).
#include <gtest/gtest.h>

#include "tests/jxl/JxlTools.h"
#include "tests/metadata/MetadataSamples.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;

namespace pixtrel::test {
namespace {

class JxlTool : public ::testing::Test {
 protected:
  void SetUp() override {
    PIXTREL_SKIP_WITHOUT_JXL_TOOLS();
    PIXTREL_SKIP_WITHOUT_PIL();
    PIXTREL_SKIP_WITHOUT_PROGRAM("convert");
    ASSERT_EQ(RunProgram({"convert", "-seed", "7", "-size", "320x200", "plasma:fractal", "-blur",
                          "0x1", "-depth", "8", (folder / "smooth.png").string()})
                  .exitCode,
              0);
  }
  Bytes Pixels(const fs::path& file) {
    const auto picture = PilRgba(file);
    return picture ? Bytes(picture->rgba.begin(), picture->rgba.end()) : Bytes{};
  }
  TempFolder folder;
};

TEST_F(JxlTool, AJpegIsRecompressedSoDjxlGivesItBackBitForBit) {
  PIXTREL_SKIP_WITHOUT_PROGRAM("cjpeg");
  const Bytes jpeg = CjpegFile(folder, 96, 64);
  WriteBytes(folder / "photo.jpg", jpeg);
  const RunResult r =
      RunBatchTool({"convert", "--to", "jxl", "-C", folder.path().string(), "photo.jpg"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const Bytes jxl = FileContents(folder / "photo.jpg.jxl");
  ASSERT_FALSE(jxl.empty());
  std::string log;
  EXPECT_EQ(Djxl(folder, jxl, "back.jpg", &log), jpeg) << log;
  EXPECT_LT(jxl.size(), jpeg.size());
}

TEST_F(JxlTool, ATaggedPhotoIsTurnedUprightAndItsBlocksFollowTheChoice) {
  PIXTREL_SKIP_WITHOUT_PROGRAM("exiftool");
  WriteBytes(folder / "tagged.jpg", TaggedPhoto(folder, false, {}, {}));
  ASSERT_EQ(RunBatchTool({"convert", "--to", "jxl", "--metadata", "strip-gps", "-C",
                          folder.path().string(), "tagged.jpg"})
                .exitCode,
            0);
  // Stored 64 x 48 and tagged 6: shown 48 x 64 once written upright.
  const DecodedPicture shown = DjxlPicture(folder, FileContents(folder / "tagged.jpg.jxl"));
  EXPECT_EQ(RasterWidth(shown.raster), 48);
  EXPECT_EQ(RasterHeight(shown.raster), 64);
  auto tags = ExiftoolTags(folder / "tagged.jpg.jxl");
  EXPECT_EQ(tags.count("GPSLatitude"), 0u);
  EXPECT_EQ(tags["Make"], "TestMake");
}

TEST_F(JxlTool, LosslessSourcesStayExactLossyOnesTakeTheSaveQuality) {
  ASSERT_EQ(
      RunBatchTool({"convert", "--to", "jxl", "-C", folder.path().string(), "smooth.png"}).exitCode,
      0);
  const Bytes jxl = FileContents(folder / "smooth.png.jxl");
  ASSERT_FALSE(Djxl(folder, jxl, "back.png").empty());
  EXPECT_EQ(Pixels(folder / "back.png"), Pixels(folder / "smooth.png"));
  // A lossy WebP source: written lossy at --jpeg-quality, as cjxl writes at that quality.
  ASSERT_EQ(RunProgram({"convert", (folder / "smooth.png").string(), "-quality", "80",
                        (folder / "lossy.webp").string()})
                .exitCode,
            0);
  for (const char* quality : {"60", "95"}) {
    ASSERT_EQ(RunBatchTool({"convert", "--to", "jxl", "--jpeg-quality", quality, "-C",
                            folder.path().string(), "lossy.webp"})
                  .exitCode,
              0);
    fs::rename(folder / "lossy.webp.jxl", folder / (std::string("q") + quality + ".jxl"));
  }
  EXPECT_LT(fs::file_size(folder / "q60.jxl"), fs::file_size(folder / "q95.jxl"));
  ASSERT_FALSE(Djxl(folder, FileContents(folder / "q95.jxl"), "q95.png").empty());
  const auto written = PilRgba(folder / "q95.png");
  const auto source = PilRgba(folder / "lossy.webp");
  ASSERT_TRUE(written && source);
  EXPECT_LT(Compare(*written, *source).mean, 1.5);
}

TEST_F(JxlTool, ResizeJxlAndReadingBackWithAlphaAndSixteenBits) {
  ASSERT_FALSE(Cjxl(folder, folder / "smooth.png", {"-d", "1"}, "photo.jxl").empty());
  const RunResult r =
      RunBatchTool({"resize-jxl", "--pixels", "100", "-C", folder.path().string(), "photo.jxl"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const DecodedPicture small = DjxlPicture(folder, FileContents(folder / "mini-photo.jxl"));
  EXPECT_EQ(RasterWidth(small.raster), 100);
  EXPECT_EQ(RasterHeight(small.raster), 62);  // 62.5, rounded as the resize tabs round
  // A 16-bit picture with alpha, read and written as PNG: PIL sees its transparency.
  std::vector<std::uint16_t> samples;
  for (int i = 0; i < 8 * 4; ++i) {
    samples.insert(samples.end(), {static_cast<std::uint16_t>(i * 2000), 30000, 65535,
                                   static_cast<std::uint16_t>(i % 2 ? 0 : 65535)});
  }
  const fs::path deep = Write16BitPng(folder, 8, 4, samples, true);
  ASSERT_FALSE(Cjxl(folder, deep, {"-d", "0"}, "deep.jxl").empty());
  ASSERT_EQ(
      RunBatchTool({"convert", "--to", "png", "-C", folder.path().string(), "deep.jxl"}).exitCode,
      0);
  const auto rgba = PilRgba(folder / "deep.jxl.png");
  ASSERT_TRUE(rgba);
  EXPECT_EQ(rgba->mode, "RGBA");
  EXPECT_EQ(rgba->at(1, 0)[3], 0);
  EXPECT_EQ(rgba->at(0, 0)[3], 255);
}

// A JPEG libjxl cannot take over (CMYK) is written from its pixels instead, and libjxl's own
// reasons stay off the standard error stream: the run says nothing when all went well.
TEST_F(JxlTool, ACmykJpegIsWrittenFromItsPixelsQuietly) {
  ASSERT_EQ(RunProgram({"convert", (folder / "smooth.png").string(), "-colorspace", "CMYK",
                        (folder / "cmyk.jpg").string()})
                .exitCode,
            0);
  const RunResult r =
      RunBatchTool({"convert", "--to", "jxl", "-C", folder.path().string(), "cmyk.jpg"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
  const DecodedPicture shown = DjxlPicture(folder, FileContents(folder / "cmyk.jpg.jxl"));
  EXPECT_EQ(RasterWidth(shown.raster), 320);
  EXPECT_EQ(RasterHeight(shown.raster), 200);
}

}  // namespace
}  // namespace pixtrel::test
