// What a photo's metadata becomes in every output, read back by exiftool: kept (orientation 1,
// pixel size updated, no thumbnail), stripped, or kept without GPS and location; the colour
// profile kept byte for byte or its colours converted to sRGB; damaged blocks left out with the
// picture still written.
#include <gtest/gtest.h>

#include "tests/commands/CommandTools.h"

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace pixtrel::test {
namespace {

const fs::path kAdobeRgb = "/usr/share/color/icc/colord/AdobeRGB1998.icc";

class MetadataTool : public ::testing::Test {
 protected:
  void SetUp() override {
    PIXTREL_SKIP_WITHOUT_PIL();
    PIXTREL_SKIP_WITHOUT_PROGRAM("convert");
    PIXTREL_SKIP_WITHOUT_EXIFTOOL();
    if (!fs::exists(kAdobeRgb))
      PIXTREL_SKIP_MISSING_TOOL() << kAdobeRgb << " (Debian package colord-data)";
    ASSERT_TRUE(MakePhoto(dir / "thumb.jpg", 16, 12, 2));
    ASSERT_TRUE(MakePhoto(dir / "photo.jpg", 64, 48, 5));
    ASSERT_TRUE(ExifToolWrite(
        dir / "photo.jpg",
        {"-Make=Korvane Test Camera", "-Model=KT-100", "-DateTimeOriginal=2026:07:14 10:11:12",
         "-Orientation#=6", "-ExifImageWidth=64", "-ExifImageHeight=48", "-GPSLatitude=46.0569",
         "-GPSLatitudeRef=N", "-GPSLongitude=14.5058", "-GPSLongitudeRef=E", "-GPSAltitude=295",
         "-XMP-exif:GPSLatitude=46,3.4N", "-XMP-dc:Title=Lake", "-XMP-photoshop:City=Ljubljana",
         "-ThumbnailImage<=" + (dir / "thumb.jpg").string(),
         "-ICC_Profile<=" + kAdobeRgb.string()}));
  }
  void Batch(const std::vector<std::string>& arguments) {
    const RunResult r = RunBatchTool(arguments, dir.path());
    ASSERT_EQ(r.exitCode, 0) << r.err;
  }
  std::map<std::string, std::string> Tags(const std::string& name) {
    return ExifToolRead(dir / name);
  }
  Bytes Profile(const std::string& name) {
    const std::string out =
        RunProgram({"exiftool", "-b", "-ICC_Profile", (dir / name).string()}).out;
    return Bytes(out.begin(), out.end());
  }
  TempFolder dir;
};

TEST_F(MetadataTool, KeepCarriesExifXmpAndTheProfileIntoJpegPngAndWebp) {
  Batch({"resize-jpg", "--pixels", "32", "photo.jpg"});
  Batch({"convert", "--to", "png", "photo.jpg"});
  Batch({"convert", "--to", "webp", "photo.jpg"});
  const Bytes profile = FileContents(kAdobeRgb);
  for (const std::string name : {"mini-photo.jpg", "photo.jpg.png", "photo.jpg.webp"}) {
    SCOPED_TRACE(name);
    auto tags = Tags(name);
    EXPECT_EQ(tags["Make"], "Korvane Test Camera");
    EXPECT_EQ(tags["Model"], "KT-100");
    EXPECT_EQ(tags["DateTimeOriginal"], "2026:07:14 10:11:12");
    EXPECT_EQ(tags["Orientation"], "1");
    EXPECT_EQ(tags.count("ThumbnailImage") + tags.count("ThumbnailOffset"), 0u);
    EXPECT_NE(tags["GPSLatitude"], "");
    EXPECT_EQ(tags["Title"], "Lake");
    EXPECT_EQ(Profile(name), profile);
  }
  auto tags = Tags("mini-photo.jpg");
  EXPECT_EQ(tags["ExifImageWidth"], "24");  // upright 48 x 64 scaled to 32 on the longer side
  EXPECT_EQ(tags["ExifImageHeight"], "32");
}

TEST_F(MetadataTool, StripLeavesNothingAndConvertsTheColoursToSrgb) {
  Batch({"convert", "--to", "png", "--metadata", "keep", "photo.jpg"});
  fs::rename(dir / "photo.jpg.png", dir / "kept.png");
  Batch({"resize-jpg", "--pixels", "48", "--metadata", "strip", "photo.jpg"});
  Batch({"convert", "--to", "png", "--metadata", "strip", "photo.jpg"});
  for (const std::string name : {"mini-photo.jpg", "photo.jpg.png"}) {
    SCOPED_TRACE(name);
    auto tags = Tags(name);
    for (const char* tag : {"Make", "Model", "DateTimeOriginal", "GPSLatitude", "Title", "City",
                            "ProfileDescription"})
      EXPECT_EQ(tags.count(tag), 0u) << tag;
  }
  // PIL's own colour management (LittleCMS through ImageCms) converts the kept file the same way.
  ASSERT_EQ(RunPython("import sys, io\nfrom PIL import Image, ImageCms\n"
                      "im = Image.open(sys.argv[1])\n"
                      "src = ImageCms.ImageCmsProfile(io.BytesIO(im.info['icc_profile']))\n"
                      "out = ImageCms.profileToProfile(im.convert('RGB'), src,\n"
                      "    ImageCms.createProfile('sRGB'),\n"
                      "    renderingIntent=ImageCms.Intent.RELATIVE_COLORIMETRIC)\n"
                      "out.save(sys.argv[2])\n",
                      {(dir / "kept.png").string(), (dir / "expected.png").string()})
                .exitCode,
            0);
  const Difference d = Compare(*PilRgba(dir / "photo.jpg.png"), *PilRgba(dir / "expected.png"));
  EXPECT_LE(d.largest, 2);
  // And the conversion is no no-op: Adobe RGB greens are far from sRGB ones.
  EXPECT_GT(Compare(*PilRgba(dir / "photo.jpg.png"), *PilRgba(dir / "kept.png")).mean, 1.0);
}

TEST_F(MetadataTool, StripGpsKeepsTheRestAndLeavesNoCoordinateBehind) {
  Batch({"resize-jpg", "--pixels", "48", "--metadata", "strip-gps", "photo.jpg"});
  Batch({"convert", "--to", "webp", "--metadata", "strip-gps", "photo.jpg"});
  for (const std::string name : {"mini-photo.jpg", "photo.jpg.webp"}) {
    SCOPED_TRACE(name);
    auto tags = Tags(name);
    EXPECT_EQ(tags["Make"], "Korvane Test Camera");
    EXPECT_EQ(tags["DateTimeOriginal"], "2026:07:14 10:11:12");
    EXPECT_EQ(tags["Title"], "Lake");
    for (const auto& [tag, value] : tags) {
      EXPECT_EQ(tag.find("GPS"), std::string::npos) << tag << " = " << value;
    }
    EXPECT_EQ(tags.count("City"), 0u);
    // The coordinates' bytes are gone, not only unlinked: 46 degrees as a rational.
    const Bytes bytes = FileContents(dir / name);
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_EQ(text.find("Ljubljana"), std::string::npos);
  }
}

TEST_F(MetadataTool, GifAndBmpCarryNothingButGetSrgbColours) {
  Batch({"convert", "--to", "bmp", "--metadata", "keep", "photo.jpg"});
  Batch({"convert", "--to", "png", "--metadata", "strip", "photo.jpg"});
  // The BMP cannot carry the profile, so its colours are the sRGB ones whatever the choice.
  const Difference d = Compare(*PilRgba(dir / "photo.jpg.bmp"), *PilRgba(dir / "photo.jpg.png"));
  EXPECT_EQ(d.largest, 0);
  EXPECT_EQ(Tags("photo.jpg.bmp").count("Make"), 0u);
}

TEST_F(MetadataTool, ADamagedExifBlockIsLeftOutAndThePictureStillWritten) {
  // Point IFD0 past the end of the block: no reader can follow it.
  Bytes bytes = FileContents(dir / "photo.jpg");
  const std::string text(bytes.begin(), bytes.end());
  const std::size_t tiff = text.find("Exif\0\0"s) + 6;
  ASSERT_NE(tiff, std::string::npos + 6);
  const bool little = bytes[tiff] == 'I';
  for (int i = 0; i < 4; ++i)
    bytes[tiff + 4 + i] = little ? (i == 3 ? 0x7F : 0xFF) : (i == 0 ? 0x7F : 0xFF);
  WriteBytes(dir / "broken.jpg", bytes);
  Batch({"resize-jpg", "--pixels", "32", "broken.jpg"});
  const auto out = PilRgba(dir / "mini-broken.jpg");
  ASSERT_TRUE(out);
  EXPECT_EQ(out->width, 32);
  EXPECT_EQ(Tags("mini-broken.jpg").count("Make"), 0u);
}

}  // namespace
}  // namespace pixtrel::test
