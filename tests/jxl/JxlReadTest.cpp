// JPEG XL files made by cjxl from pictures the tests write: pixels, 16-bit samples, alpha, the
// ICC profile, EXIF and XMP boxes, the orientation, containers and bare codestreams.
#include <gtest/gtest.h>

#include "codecs/jxl/JxlFile.h"
#include "codecs/png/PngFile.h"
#include "core/Errors.h"
#include "imaging/Orientation.h"
#include "tests/heif/HeifTools.h"
#include "tests/jxl/JxlTools.h"
#include "tests/metadata/MetadataSamples.h"

namespace pixtrel::test {
namespace {

bool StartsWith(const Bytes& file, std::initializer_list<std::uint8_t> prefix) {
  return file.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), file.begin());
}

const std::initializer_list<std::uint8_t> kCodestream = {0xFF, 0x0A};
const std::initializer_list<std::uint8_t> kContainer = {0, 0, 0, 0x0C, 'J', 'X', 'L', ' '};

TEST(JxlRead, LosslessFilesGiveTheSourcePixels) {
  PIXTREL_SKIP_WITHOUT_JXL_TOOLS();
  TempFolder folder;
  const Bitmap24 source = TestPattern(37, 23, 4);
  const Bytes jxl = Cjxl(folder, WriteSourcePng(folder, source), {"-d", "0"}, "l.jxl");
  ASSERT_TRUE(StartsWith(jxl, kCodestream)) << "cjxl writes a bare codestream here";
  const JxlPicture read = ReadJxlBytes(jxl, true);
  EXPECT_EQ(MaxDifference(ToBitmap24(read.picture.raster), source), 0);
  EXPECT_FALSE(read.picture.alpha.has_value());
  EXPECT_TRUE(read.picture.metadata.empty());  // sRGB: no profile
  EXPECT_TRUE(read.picture.lossless);
  EXPECT_EQ(read.orientation, 1);
}

TEST(JxlRead, LossyFilesMatchWhatDjxlDecodes) {
  PIXTREL_SKIP_WITHOUT_JXL_TOOLS();
  TempFolder folder;
  const Bitmap24 source = SmoothPicture(64, 40);
  const Bytes jxl = Cjxl(folder, WriteSourcePng(folder, source), {"-d", "1.5"}, "q.jxl");
  ASSERT_FALSE(jxl.empty());
  const JxlPicture read = ReadJxlBytes(jxl, true);
  const Bitmap24 ours = ToBitmap24(read.picture.raster);
  EXPECT_LE(MaxDifference(ours, ToBitmap24(DjxlPicture(folder, jxl).raster)), 1);
  EXPECT_LT(MeanDifference(ours, source), 2.0);
  EXPECT_FALSE(read.picture.lossless);
  EXPECT_TRUE(read.picture.metadata.icc.empty());
}

// 16-bit samples come as 8 bits rounded to the nearest level: exactly what the PNG reader makes
// of the 16-bit PNG the file was made from, alpha included.
TEST(JxlRead, SixteenBitSamplesAreRoundedAsThePngReaderDoes) {
  PIXTREL_SKIP_WITHOUT_JXL_TOOLS();
  TempFolder folder;
  const int width = 29, height = 17;
  std::vector<std::uint16_t> samples;
  for (int i = 0; i < width * height; ++i) {
    // Values near the rounding edges of every 8-bit level, and both ends.
    samples.push_back(static_cast<std::uint16_t>((i * 257 + 128) % 65536));
    samples.push_back(static_cast<std::uint16_t>((i * 977 + 127) % 65536));
    samples.push_back(static_cast<std::uint16_t>(i % 2 ? 65535 : 0));
    samples.push_back(static_cast<std::uint16_t>((i * 4099) % 65536));
  }
  const auto png = Write16BitPng(folder, width, height, samples, true);
  const Bytes jxl = Cjxl(folder, png, {"-d", "0"}, "deep.jxl");
  ASSERT_FALSE(jxl.empty());
  const DecodedPicture expected = ReadPngBytes(FileContents(png));
  const JxlPicture read = ReadJxlBytes(jxl, true);
  EXPECT_EQ(MaxDifference(ToBitmap24(read.picture.raster), ToBitmap24(expected.raster)), 0);
  ASSERT_TRUE(read.picture.alpha.has_value());
  EXPECT_EQ(*read.picture.alpha, *expected.alpha);
}

TEST(JxlRead, AlphaPlaneIsKept) {
  PIXTREL_SKIP_WITHOUT_JXL_TOOLS();
  TempFolder folder;
  const Bitmap24 source = TestPattern(32, 24, 7);
  const auto alpha = AlphaRamp(32, 24);
  const Bytes jxl = Cjxl(folder, WriteSourcePng(folder, source, &alpha), {"-d", "0"}, "a.jxl");
  const JxlPicture read = ReadJxlBytes(jxl, true);
  ASSERT_TRUE(read.picture.alpha.has_value());
  EXPECT_EQ(*read.picture.alpha, alpha);
  EXPECT_EQ(MaxDifference(ToBitmap24(read.picture.raster), source), 0);
}

TEST(JxlRead, GreyFilesGiveEqualChannels) {
  PIXTREL_SKIP_WITHOUT_JXL_TOOLS();
  PIXTREL_SKIP_WITHOUT_PIL();
  TempFolder folder;
  const auto png = folder / "grey.png";
  ASSERT_EQ(RunPython("from PIL import Image\n"
                      "import sys\n"
                      "im = Image.new('L', (20, 10))\n"
                      "im.putdata([(x * 13 + y * 7) % 256 for y in range(10) for x in range(20)])\n"
                      "im.save(sys.argv[1])\n",
                      {png.string()})
                .exitCode,
            0);
  const JxlPicture read = ReadJxlBytes(Cjxl(folder, png, {"-d", "0"}, "g.jxl"), true);
  const Bitmap24 picture = ToBitmap24(read.picture.raster);
  ASSERT_EQ(picture.width(), 20);
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 20; ++x) {
      const std::uint8_t* p = picture.row(y) + 3 * x;
      EXPECT_EQ(p[0], (x * 13 + y * 7) % 256);
      EXPECT_EQ(p[1], p[0]);
      EXPECT_EQ(p[2], p[0]);
    }
  }
  EXPECT_TRUE(read.picture.metadata.icc.empty());
}

TEST(JxlRead, IccProfileOfALosslessFileComesByteForByte) {
  PIXTREL_SKIP_WITHOUT_JXL_TOOLS();
  TempFolder folder;
  const Bitmap24 source = TestPattern(24, 16, 3);
  PictureMetadata metadata;
  metadata.icc = AdobeLikeProfile();
  const auto png = folder / "tagged.png";
  WriteBytes(png, EncodePng(source, nullptr, metadata));
  const JxlPicture read = ReadJxlBytes(Cjxl(folder, png, {"-d", "0"}, "icc.jxl"), true);
  EXPECT_EQ(read.picture.metadata.icc, metadata.icc);
  EXPECT_EQ(MaxDifference(ToBitmap24(read.picture.raster), source), 0);
}

// A lossy file keeps the profile of its source only as a description: its pixels are asked for
// in sRGB, so they come without a profile and look as djxl shows them.
TEST(JxlRead, LossyFileWithAProfileComesInSrgb) {
  PIXTREL_SKIP_WITHOUT_JXL_TOOLS();
  PIXTREL_SKIP_WITHOUT_PIL();
  TempFolder folder;
  const Bitmap24 source = SmoothPicture(48, 32);
  PictureMetadata metadata;
  metadata.icc = AdobeLikeProfile();
  const auto png = folder / "tagged.png";
  WriteBytes(png, EncodePng(source, nullptr, metadata));
  const Bytes jxl = Cjxl(folder, png, {"-d", "1"}, "icc.jxl");
  const JxlPicture read = ReadJxlBytes(jxl, true);
  EXPECT_TRUE(read.picture.metadata.icc.empty());
  // PIL converts the source from its profile to sRGB: the reference for what it looks like.
  const auto converted = folder / "srgb.png";
  ASSERT_EQ(RunPython("from PIL import Image, ImageCms\n"
                      "import io, sys\n"
                      "im = Image.open(sys.argv[1])\n"
                      "src = ImageCms.ImageCmsProfile(io.BytesIO(im.info['icc_profile']))\n"
                      "ImageCms.profileToProfile(im, src, ImageCms.createProfile('sRGB'),\n"
                      "    renderingIntent=1).save(sys.argv[2])\n",
                      {png.string(), converted.string()})
                .exitCode,
            0);
  const Bitmap24 expected = ToBitmap24(ReadPngBytes(FileContents(converted)).raster);
  EXPECT_LT(MeanDifference(ToBitmap24(read.picture.raster), expected), 2.0);
}

// cjxl carries a JPEG's EXIF and XMP into boxes (and its orientation into the codestream); the
// EXIF comes from its TIFF header on.
TEST(JxlRead, ExifXmpAndOrientationOfARecompressedJpeg) {
  PIXTREL_SKIP_WITHOUT_JXL_TOOLS();
  PIXTREL_SKIP_WITHOUT_PROGRAM("exiftool");
  TempFolder folder;
  const std::string xmp =
      "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF "
      "xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"><rdf:Description "
      "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" dc:format=\"image/jpeg\"/></rdf:RDF>"
      "</x:xmpmeta>";
  const Bytes photo = TaggedPhoto(folder, true, {}, Bytes(xmp.begin(), xmp.end()));
  ASSERT_FALSE(photo.empty());
  WriteBytes(folder / "photo.jpg", photo);
  const Bytes jxl = Cjxl(folder, folder / "photo.jpg", {}, "photo.jxl");
  ASSERT_TRUE(StartsWith(jxl, kContainer));

  const JxlPicture stored = ReadJxlBytes(jxl, true);
  ASSERT_GE(stored.picture.metadata.exif.size(), 8u);
  EXPECT_EQ(Bytes(stored.picture.metadata.exif.begin(), stored.picture.metadata.exif.begin() + 4),
            (Bytes{'M', 'M', 0, '*'}));
  // The same TIFF structure as in the JPEG's APP1 segment, after its "Exif\0\0" header.
  EXPECT_TRUE(Contains(photo, stored.picture.metadata.exif));
  EXPECT_NE(Find(Bytes(stored.picture.metadata.xmp), "dc:format"), std::string::npos);
  EXPECT_FALSE(stored.picture.lossless);  // its pixels come from a JPEG
  EXPECT_EQ(stored.orientation, 6);
  EXPECT_EQ(RasterWidth(stored.picture.raster), 64);
  EXPECT_EQ(RasterHeight(stored.picture.raster), 48);

  // Turned by libjxl: upright, as djxl shows it.
  const JxlPicture turned = ReadJxlBytes(jxl, false);
  EXPECT_EQ(turned.orientation, 1);  // nothing left to turn
  const Bitmap24 upright = ToBitmap24(turned.picture.raster);
  EXPECT_EQ(upright.width(), 48);
  EXPECT_EQ(upright.height(), 64);
  EXPECT_TRUE(
      SamePixels(upright, TurnBitmap(ToBitmap24(stored.picture.raster), Orientation::FromExif(6))));
  EXPECT_LE(MaxDifference(upright, ToBitmap24(DjxlPicture(folder, jxl).raster)), 1);
}

TEST(JxlRead, FirstFrameOfAnAnimation) {
  PIXTREL_SKIP_WITHOUT_JXL_TOOLS();
  PIXTREL_SKIP_WITHOUT_PIL();
  TempFolder folder;
  const auto gif = folder / "anim.gif";
  ASSERT_EQ(RunPython("from PIL import Image\n"
                      "import sys\n"
                      "frames = [Image.new('RGB', (16, 12), c) for c in "
                      "((255, 0, 0), (0, 255, 0), (0, 0, 255))]\n"
                      "frames[0].save(sys.argv[1], save_all=True, append_images=frames[1:],\n"
                      "               duration=100, loop=0)\n",
                      {gif.string()})
                .exitCode,
            0);
  const Bytes jxl = Cjxl(folder, gif, {"-d", "0"}, "anim.jxl");
  ASSERT_FALSE(jxl.empty());
  const Bitmap24 first = ToBitmap24(ReadJxlBytes(jxl, true).picture.raster);
  ASSERT_EQ(first.width(), 16);
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 16; ++x) {
      const std::uint8_t* p = first.row(y) + 3 * x;
      ASSERT_EQ(p[2], 255);
      ASSERT_EQ(p[1], 0);
      ASSERT_EQ(p[0], 0);
    }
  }
}

TEST(JxlProbe, GivesTheStoredSizeFromTheFirstBytes) {
  PIXTREL_SKIP_WITHOUT_JXL_TOOLS();
  TempFolder folder;
  const Bytes bare =
      Cjxl(folder, WriteSourcePng(folder, TestPattern(300, 7, 1)), {"-d", "0"}, "bare.jxl");
  ASSERT_TRUE(StartsWith(bare, kCodestream));
  for (std::size_t head : {std::size_t{16}, bare.size()}) {
    const auto size = ProbeJxl(std::span(bare).first(std::min(head, bare.size())));
    ASSERT_TRUE(size.has_value()) << head << " bytes";
    EXPECT_EQ(size->width, 300);
    EXPECT_EQ(size->height, 7);
  }
  WriteBytes(folder / "photo.jpg", TaggedPhoto(folder, false, {}, {}));
  const Bytes boxed = Cjxl(folder, folder / "photo.jpg", {}, "boxed.jxl");
  ASSERT_TRUE(StartsWith(boxed, kContainer));
  const auto size = ProbeJxl(boxed);
  ASSERT_TRUE(size.has_value());
  EXPECT_EQ(size->width, 64);  // as stored, not turned by its orientation
  EXPECT_EQ(size->height, 48);

  EXPECT_FALSE(ProbeJxl(Bytes{0xFF, 0xD8, 0xFF, 0xE0}).has_value());
  EXPECT_FALSE(ProbeJxl(Bytes{}).has_value());
  EXPECT_FALSE(ProbeJxl(Bytes{0xFF, 0x0A}).has_value());
}

TEST(JxlRead, OtherFilesAreRefusedWithTheCodecsMessage) {
  const Bytes png = EncodePng(TestPattern(4, 4, 1), nullptr, {});
  for (const Bytes& file : {png, Bytes{}, Bytes{0xFF, 0x0A}}) {
    try {
      (void)ReadJxlBytes(file, true);
      ADD_FAILURE() << "read " << file.size() << " bytes";
    } catch (const Exception& error) {
      EXPECT_EQ(std::string(error.what()).rfind("JPEG XL error: ", 0), 0u) << error.what();
    }
  }
}

}  // namespace
}  // namespace pixtrel::test
