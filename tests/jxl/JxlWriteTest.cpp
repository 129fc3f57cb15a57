// JPEG XL files written by the codec and read back by djxl (libjxl-tools) and exiftool: lossless
// pictures exact, lossy ones at the distance their quality stands for, alpha, the orientation
// and the metadata boxes.
#include <gtest/gtest.h>

#include "codecs/jxl/JxlFile.h"
#include "codecs/png/PngFile.h"
#include "concurrency/ParallelFor.h"
#include "core/Errors.h"
#include "imaging/Orientation.h"
#include "tests/heif/HeifTools.h"
#include "tests/jxl/JxlTools.h"
#include "tests/metadata/MetadataSamples.h"

namespace pixtrel::test {
namespace {

JxlSettings Lossless() {
  JxlSettings settings;
  settings.lossless = true;
  return settings;
}

TEST(JxlWrite, LosslessPicturesComeBackExactly) {
  PIXTREL_SKIP_WITHOUT_JXL_TOOLS();
  TempFolder folder;
  const Bitmap24 source = TestPattern(301, 157, 9);
  const auto alpha = AlphaRamp(301, 157);
  for (const std::vector<std::uint8_t>* plane : {static_cast<decltype(&alpha)>(nullptr), &alpha}) {
    const Bytes jxl = EncodeJxl(source, plane, {}, Lossless());
    const DecodedPicture back = DjxlPicture(folder, jxl);
    EXPECT_EQ(MaxDifference(ToBitmap24(back.raster), source), 0);
    EXPECT_EQ(back.alpha.has_value(), plane != nullptr);
    if (plane && back.alpha) {
      EXPECT_EQ(*back.alpha, alpha);
    }
    EXPECT_TRUE(ReadJxlBytes(jxl, true).picture.lossless);
  }
}

TEST(JxlWrite, PalettePicturesAreWrittenThroughTheirTable) {
  PIXTREL_SKIP_WITHOUT_JXL_TOOLS();
  TempFolder folder;
  PaletteBitmap indices(5, 3, 8, {Rgb{255, 0, 0}, Rgb{0, 128, 0}, Rgb{1, 2, 3}});
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x)
      indices.row(y)[x] = static_cast<std::uint8_t>((x + y) % 3);
  }
  const Bytes jxl = EncodeJxl(indices, nullptr, {}, Lossless());
  EXPECT_EQ(MaxDifference(ToBitmap24(DjxlPicture(folder, jxl).raster), ToBitmap24(indices)), 0);
}

TEST(JxlWrite, QualityMapsToCjxlsDistance) {
  EXPECT_FLOAT_EQ(JxlDistance(100), 0.0f);
  EXPECT_FLOAT_EQ(JxlDistance(99), 0.19f);
  EXPECT_FLOAT_EQ(JxlDistance(90), 1.0f);
  EXPECT_FLOAT_EQ(JxlDistance(30), 6.4f);
  EXPECT_FLOAT_EQ(JxlDistance(20), 7.4f);  // 6.4 + 2.5^2 / 6.25
  EXPECT_FLOAT_EQ(JxlDistance(0), 25.0f);  // the largest libjxl takes
  for (int q = 1; q <= 100; ++q)
    EXPECT_LE(JxlDistance(q), JxlDistance(q - 1)) << q;
}

// At one effort, a quality gives the very bytes cjxl writes for that --quality.
TEST(JxlWrite, LossyFilesAreThoseCjxlWritesAtTheSameSettings) {
  PIXTREL_SKIP_WITHOUT_JXL_TOOLS();
  TempFolder folder;
  const Bitmap24 source = TestPattern(200, 120, 2);
  const auto png = WriteSourcePng(folder, source);
  for (int quality : {89, 50, 10}) {
    JxlSettings settings;
    settings.quality = quality;
    const Bytes ours = EncodeJxl(source, nullptr, {}, settings);
    const Bytes theirs = Cjxl(folder, png, {"-q", std::to_string(quality), "-e", "5"}, "cjxl.jxl");
    EXPECT_EQ(ours, theirs) << "quality " << quality;
    EXPECT_FALSE(ReadJxlBytes(ours, true).picture.lossless);
  }
}

TEST(JxlWrite, LowerQualityGivesSmallerFilesCloseToTheSource) {
  PIXTREL_SKIP_WITHOUT_JXL_TOOLS();
  TempFolder folder;
  const Bitmap24 source = SmoothPicture(160, 100);
  std::size_t previous = SIZE_MAX;
  for (int quality : {95, 80, 40}) {
    JxlSettings settings;
    settings.quality = quality;
    const Bytes jxl = EncodeJxl(source, nullptr, {}, settings);
    EXPECT_LT(jxl.size(), previous) << "quality " << quality;
    previous = jxl.size();
    EXPECT_LT(MeanDifference(ToBitmap24(DjxlPicture(folder, jxl).raster), source),
              quality >= 80 ? 2.0 : 5.0);
  }
  // Quality 100 is lossless, as with cjxl.
  JxlSettings best;
  best.quality = 100;
  EXPECT_EQ(
      MaxDifference(ToBitmap24(DjxlPicture(folder, EncodeJxl(source, nullptr, {}, best)).raster),
                    source),
      0);
}

TEST(JxlWrite, LossyAlphaIsKept) {
  PIXTREL_SKIP_WITHOUT_JXL_TOOLS();
  TempFolder folder;
  const Bitmap24 source = TestPattern(64, 48, 3);
  const auto alpha = AlphaRamp(64, 48);
  const DecodedPicture back = DjxlPicture(folder, EncodeJxl(source, &alpha, {}, {}));
  ASSERT_TRUE(back.alpha.has_value());
  int worst = 0;
  for (std::size_t i = 0; i < alpha.size(); ++i)
    worst = std::max(worst, std::abs((*back.alpha)[i] - alpha[i]));
  EXPECT_LE(worst, 2);
}

TEST(JxlWrite, OrientationGoesIntoTheCodestream) {
  PIXTREL_SKIP_WITHOUT_JXL_TOOLS();
  TempFolder folder;
  const Bitmap24 source = TestPattern(40, 24, 4);
  JxlSettings settings = Lossless();
  settings.orientation = 6;
  const Bytes jxl = EncodeJxl(source, nullptr, {}, settings);
  // djxl shows it turned a quarter to the right.
  const Bitmap24 shown = ToBitmap24(DjxlPicture(folder, jxl).raster);
  EXPECT_EQ(shown.width(), 24);
  EXPECT_TRUE(SamePixels(shown, TurnBitmap(source, Orientation::FromExif(6))));
  EXPECT_EQ(ReadJxlBytes(jxl, true).orientation, 6);
}

TEST(JxlWrite, MetadataGoesIntoBoxesAndTheCodestream) {
  PIXTREL_SKIP_WITHOUT_JXL_TOOLS();
  PIXTREL_SKIP_WITHOUT_PROGRAM("exiftool");
  TempFolder folder;
  const Bitmap24 source = TestPattern(64, 48, 1);
  PictureMetadata metadata;
  metadata.exif = HandBuiltExif(false).tiff;
  const std::string xmp =
      "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF "
      "xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"><rdf:Description "
      "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" dc:format=\"image/jxl\"/></rdf:RDF>"
      "</x:xmpmeta>";
  metadata.xmp.assign(xmp.begin(), xmp.end());
  metadata.icc = AdobeLikeProfile();
  for (bool lossless : {true, false}) {
    JxlSettings settings;
    settings.lossless = lossless;
    const auto file = folder / "tagged.jxl";
    WriteBytes(file, EncodeJxl(source, nullptr, metadata, settings));
    const auto tags = ExiftoolTags(file, {"-Make", "-Format"});
    EXPECT_EQ(tags.count("Make") ? tags.at("Make") : "", "HandMake");
    EXPECT_EQ(tags.count("Format") ? tags.at("Format") : "", "image/jxl");
    const JxlPicture read = ReadJxlBytes(FileContents(file), true);
    EXPECT_EQ(read.picture.metadata.exif, metadata.exif);
    EXPECT_EQ(read.picture.metadata.xmp, metadata.xmp);
    if (lossless) {
      // The profile describes the pixels exactly; djxl hands it on in its PNG.
      EXPECT_EQ(read.picture.metadata.icc, metadata.icc);
      EXPECT_EQ(DjxlPicture(folder, FileContents(file)).metadata.icc, metadata.icc);
    }
  }
}

TEST(JxlWrite, AProfileLibjxlCannotReadIsLeftOut) {
  PIXTREL_SKIP_WITHOUT_JXL_TOOLS();
  TempFolder folder;
  const Bitmap24 source = TestPattern(16, 16, 1);
  PictureMetadata metadata;
  metadata.icc = Bytes(300, 0x42);
  const Bytes jxl = EncodeJxl(source, nullptr, metadata, Lossless());
  EXPECT_EQ(MaxDifference(ToBitmap24(DjxlPicture(folder, jxl).raster), source), 0);
  EXPECT_TRUE(ReadJxlBytes(jxl, true).picture.metadata.icc.empty());
}

// libjxl works on the process's pool; its results must not depend on how many threads take part.
TEST(JxlWrite, BytesDoNotDependOnTheThreads) {
  const Bitmap24 source = TestPattern(700, 530, 5);
  const auto alpha = AlphaRamp(700, 530);
  std::vector<Bytes> files[2];
  for (int round = 0; round < 2; ++round) {
    SetWorkerThreadLimit(round == 0 ? 1 : 4);
    files[round].push_back(EncodeJxl(source, &alpha, {}, {}));
    files[round].push_back(EncodeJxl(source, nullptr, {}, Lossless()));
  }
  SetWorkerThreadLimit(0);
  EXPECT_EQ(files[0], files[1]);
  SetWorkerThreadLimit(1);
  const JxlPicture one = ReadJxlBytes(files[0][0], true);
  SetWorkerThreadLimit(4);
  const JxlPicture four = ReadJxlBytes(files[0][0], true);
  SetWorkerThreadLimit(0);
  EXPECT_TRUE(SamePixels(ToBitmap24(one.picture.raster), ToBitmap24(four.picture.raster)));
  EXPECT_EQ(one.picture.alpha, four.picture.alpha);
}

TEST(JxlWrite, RefusesWhatItCannotWrite) {
  const Bitmap24 source = TestPattern(8, 8, 1);
  JxlSettings settings;
  settings.quality = 101;
  EXPECT_THROW(EncodeJxl(source, nullptr, {}, settings), Exception);
  settings.quality = 90;
  settings.orientation = 9;
  EXPECT_THROW(EncodeJxl(source, nullptr, {}, settings), Exception);
  const std::vector<std::uint8_t> shortAlpha(10, 255);
  EXPECT_THROW(EncodeJxl(source, &shortAlpha, {}, {}), EBitmapError);
  EXPECT_THROW(EncodeJxl(Bitmap24(), nullptr, {}, {}), Exception);
}

}  // namespace
}  // namespace pixtrel::test
