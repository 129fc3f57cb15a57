// HEIC and AVIF files made by heif-enc and avifenc from pictures the tests write: pixels, alpha,
// deeper samples, the ICC profile, EXIF and XMP as the reader returns them.
#include <gtest/gtest.h>

#include "codecs/heif/HeifFile.h"
#include "core/Errors.h"
#include "tests/heif/HeifTools.h"

namespace pixtrel::test {
namespace {

TEST(HeifRead, LosslessFilesGiveTheSourcePixels) {
  PIXTREL_SKIP_WITHOUT_ENCODER("avifenc");
  PIXTREL_SKIP_WITHOUT_ENCODER("heif-enc");
  TempFolder folder;
  const Bitmap24 source = TestPattern(37, 23, 4);
  const auto png = WriteSourcePng(folder, source);
  const Bytes avif = Encode(folder, "avifenc", {"-l"}, png, "l.avif");
  const Bytes heic = Encode(folder, "heif-enc",
                            {"-L", "-p", "chroma=444", "--matrix_coefficients=0"}, png, "l.heic");
  ASSERT_FALSE(avif.empty());
  ASSERT_FALSE(heic.empty());
  // avifenc's lossless mode is exact; heif-enc's (x265 in RGB) is off by a level here and there.
  for (const Bytes* file : {&avif, &heic}) {
    const DecodedPicture picture = ReadHeifBytes(*file);
    EXPECT_LE(MaxDifference(ToBitmap24(picture.raster), source), file == &avif ? 0 : 1);
    EXPECT_FALSE(picture.alpha.has_value());
    EXPECT_TRUE(picture.metadata.empty());  // avifenc writes an nclx profile: no ICC
    // Stored as red, green and blue in full range, as avifenc says (heif-enc states nothing):
    // written again without loss where the format can.
    EXPECT_EQ(picture.lossless, file == &avif);
  }
}

TEST(HeifRead, LossyFilesAreCloseToTheSource) {
  PIXTREL_SKIP_WITHOUT_ENCODER("avifenc");
  PIXTREL_SKIP_WITHOUT_ENCODER("heif-enc");
  TempFolder folder;
  const Bitmap24 source = TestPattern(64, 40, 6);
  const auto png = WriteSourcePng(folder, source);
  const Bytes avif = Encode(folder, "avifenc", {"--min", "10", "--max", "20"}, png, "q.avif");
  const Bytes heic = Encode(folder, "heif-enc", {"-q", "90"}, png, "q.heic");
  ASSERT_FALSE(avif.empty());
  ASSERT_FALSE(heic.empty());
  for (const Bytes* file : {&avif, &heic}) {
    const DecodedPicture decoded = ReadHeifBytes(*file);
    EXPECT_FALSE(decoded.lossless);
    const Bitmap24 picture = ToBitmap24(decoded.raster);
    ASSERT_GE(MaxDifference(picture, source), 0) << "size differs";
    EXPECT_LT(MeanDifference(picture, source), 6.0);
  }
}

TEST(HeifRead, AlphaPlaneIsKept) {
  PIXTREL_SKIP_WITHOUT_ENCODER("avifenc");
  TempFolder folder;
  const Bitmap24 source = TestPattern(32, 24, 7);
  const auto alpha = AlphaRamp(32, 24);
  const auto png = WriteSourcePng(folder, source, &alpha);
  const DecodedPicture picture = ReadHeifBytes(Encode(folder, "avifenc", {"-l"}, png, "a.avif"));
  ASSERT_TRUE(picture.alpha.has_value());
  EXPECT_EQ(*picture.alpha, alpha);
  EXPECT_EQ(MaxDifference(ToBitmap24(picture.raster), source), 0);

  // Colour stored multiplied by alpha comes back straight, to within the rounding of the
  // stored values: exact where opaque, looser as the stored colour loses levels.
  const DecodedPicture premultiplied =
      ReadHeifBytes(Encode(folder, "avifenc", {"-l", "-p"}, png, "p.avif"));
  ASSERT_TRUE(premultiplied.alpha.has_value());
  const Bitmap24 colour = ToBitmap24(premultiplied.raster);
  for (int y = 0; y < 24; ++y) {
    for (int i = 0; i < 32 * 3; ++i) {
      const int a = alpha[y * 32 + i / 3];
      if (a >= 64) {
        EXPECT_NEAR(colour.row(y)[i], source.row(y)[i], 255 / a + 1) << "at " << i / 3 << "," << y;
      }
    }
  }
}

TEST(HeifRead, DeeperSamplesAreScaledToEightBits) {
  PIXTREL_SKIP_WITHOUT_ENCODER("avifenc");
  TempFolder folder;
  const Bitmap24 source = TestPattern(30, 20, 8);
  const auto png = WriteSourcePng(folder, source);
  for (const char* depth : {"10", "12"}) {
    std::string log;
    const Bytes file = Encode(folder, "avifenc", {"-l", "-d", depth}, png, "d.avif", &log);
    ASSERT_FALSE(file.empty()) << log;
    EXPECT_EQ(MaxDifference(ToBitmap24(ReadHeifBytes(file).raster), source), 0) << depth;
  }
  // A grey 12-bit file: every pixel grey, near the source's luma.
  const Bitmap24 grey = ToBitmap24(
      ReadHeifBytes(Encode(folder, "avifenc", {"-d", "12", "-y", "400", "--min", "0", "--max", "0"},
                           png, "g.avif"))
          .raster);
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 30; ++x) {
      const std::uint8_t* p = grey.row(y) + x * 3;
      const std::uint8_t* s = source.row(y) + x * 3;
      ASSERT_TRUE(p[0] == p[1] && p[1] == p[2]);
      EXPECT_NEAR(p[0], 0.114 * s[0] + 0.587 * s[1] + 0.299 * s[2], 2.0);
    }
  }
}

// A minimal but well-formed ICC header: size, 'mntr' class, 'RGB ' data, 'acsp' and no tags.
Bytes SmallProfile() {
  Bytes icc(132, 0);
  icc[3] = 132;
  const auto put = [&](std::size_t at, const char* text) { std::copy_n(text, 4, &icc[at]); };
  put(12, "mntr");
  put(16, "RGB ");
  put(20, "XYZ ");
  put(36, "acsp");
  icc[8] = 4;
  for (std::size_t i = 100; i < 128; ++i)
    icc[i] = static_cast<std::uint8_t>(i);  // an id and reserved bytes: must come back as they are
  return icc;
}

TEST(HeifRead, IccExifAndXmpAreReturnedAsStored) {
  PIXTREL_SKIP_WITHOUT_ENCODER("avifenc");
  TempFolder folder;
  const auto png = WriteSourcePng(folder, TestPattern(16, 16, 9));
  const Bytes icc = SmallProfile();
  const Bytes tiff{'I', 'I', '*', 0, 8, 0, 0, 0, 1, 0, 0x12, 1, 3,
                   0,   1,   0,   0, 0, 6, 0, 0, 0, 0, 0,    0, 0};
  Bytes exif{'E', 'x', 'i', 'f', 0, 0};  // avifenc stores the offset past this header
  exif.reserve(64);
  exif.insert(exif.end(), tiff.begin(), tiff.end());
  const std::string xmpText = "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF/></x:xmpmeta>";
  WriteBytes(folder / "p.icc", icc);
  WriteBytes(folder / "e.bin", exif);
  WriteBytes(folder / "x.xmp", Bytes(xmpText.begin(), xmpText.end()));
  const std::vector<std::string> options{"--icc",  (folder / "p.icc").string(),
                                         "--exif", (folder / "e.bin").string(),
                                         "--xmp",  (folder / "x.xmp").string()};
  const Bytes file = Encode(folder, "avifenc", options, png, "m.avif");
  const DecodedPicture picture = ReadHeifBytes(file);
  EXPECT_EQ(picture.metadata.icc, icc);
  EXPECT_EQ(picture.metadata.exif, tiff);
  EXPECT_EQ(picture.metadata.xmp, Bytes(xmpText.begin(), xmpText.end()));
  // The EXIF orientation (6) is informational: the picture is not turned.
  EXPECT_EQ(RasterWidth(picture.raster), 16);

  // An offset pointing past the block drops the EXIF, not the picture.
  Bytes damaged = file;
  const std::size_t at = Find(damaged, std::string("\0\0\0\6Exif", 8));
  ASSERT_NE(at, std::string::npos);
  damaged[at] = 0x7F;
  const DecodedPicture kept = ReadHeifBytes(damaged);
  EXPECT_TRUE(kept.metadata.exif.empty());
  EXPECT_EQ(kept.metadata.icc, icc);
}

TEST(HeifRead, HeicKeepsTheExifOfItsJpegSource) {
  PIXTREL_SKIP_WITHOUT_ENCODER("heif-enc");
  PIXTREL_SKIP_WITHOUT_PROGRAM("convert");
  TempFolder folder;
  const auto png = WriteSourcePng(folder, TestPattern(40, 24, 10));
  ASSERT_EQ(RunProgram({"convert", png.string(), (folder / "s.jpg").string()}).exitCode, 0);
  // An APP1 segment with orientation 6 right after the JPEG's start marker.
  const Bytes tiff{'M', 'M', 0, '*', 0, 0, 0, 8, 0, 1, 1, 0x12, 0,
                   3,   0,   0, 0,   1, 0, 6, 0, 0, 0, 0, 0,    0};
  Bytes jpeg = FileContents(folder / "s.jpg");
  Bytes app1{0xFF, 0xE1, 0, static_cast<std::uint8_t>(2 + 6 + tiff.size()), 'E', 'x', 'i',
             'f',  0,    0};
  app1.reserve(64);
  app1.insert(app1.end(), tiff.begin(), tiff.end());
  jpeg.insert(jpeg.begin() + 2, app1.begin(), app1.end());
  WriteBytes(folder / "o.jpg", jpeg);
  const DecodedPicture picture =
      ReadHeifBytes(Encode(folder, "heif-enc", {"-q", "90"}, folder / "o.jpg", "o.heic"));
  EXPECT_EQ(picture.metadata.exif, tiff);
  EXPECT_EQ(RasterWidth(picture.raster), 40);
  EXPECT_EQ(RasterHeight(picture.raster), 24);
}

}  // namespace
}  // namespace pixtrel::test
