// CMYK JPEG files (as prepress and print workflows write them) converted through the profile
// they carry, as a colour-managed viewer shows them: PIL's LittleCMS conversion with the same
// profile is the reference. Without a profile the plain formula stays.
#include <gtest/gtest.h>

#include "tests/commands/CommandTools.h"

namespace fs = std::filesystem;

namespace pixtrel::test {
namespace {

const fs::path kCmykProfile = "/usr/share/color/icc/ghostscript/default_cmyk.icc";
const fs::path kSrgbProfile = "/usr/share/color/icc/colord/sRGB.icc";

// PIL opens the CMYK JPEG (undoing Adobe's inversion) and converts it through its embedded
// profile to sRGB, relative colorimetric.
const char* kReference = R"(
import io, sys
from PIL import Image, ImageCms
im = Image.open(sys.argv[1])
assert im.mode == 'CMYK'
profile = ImageCms.ImageCmsProfile(io.BytesIO(im.info['icc_profile']))
out = ImageCms.profileToProfile(im, profile, ImageCms.createProfile('sRGB'),
    renderingIntent=ImageCms.Intent.RELATIVE_COLORIMETRIC, outputMode='RGB')
out.save(sys.argv[2])
)";

class CmykTool : public ::testing::Test {
 protected:
  void SetUp() override {
    PIXTREL_SKIP_WITHOUT_PIL();
    PIXTREL_SKIP_WITHOUT_PROGRAM("convert");
    if (!fs::exists(kCmykProfile))
      PIXTREL_SKIP_MISSING_TOOL() << kCmykProfile << " (package libgs-common)";
    if (!fs::exists(kSrgbProfile))
      PIXTREL_SKIP_MISSING_TOOL() << kSrgbProfile << " (package colord-data)";
    ASSERT_TRUE(MakePhoto(dir / "photo.jpg", 64, 48, 3));
    // ImageMagick converts through the profiles and embeds the CMYK one.
    ASSERT_EQ(RunProgram({"convert", (dir / "photo.jpg").string(), "-profile",
                          kSrgbProfile.string(), "-profile", kCmykProfile.string(), "-quality",
                          "95", (dir / "print.jpg").string()})
                  .exitCode,
              0);
  }
  void Batch(const std::vector<std::string>& arguments) {
    const RunResult r = RunBatchTool(arguments, dir.path());
    ASSERT_EQ(r.exitCode, 0) << r.err;
  }
  TempFolder dir;
};

TEST_F(CmykTool, ConvertedThroughItsProfileInEveryCommand) {
  const RunResult r =
      RunPython(kReference, {(dir / "print.jpg").string(), (dir / "reference.png").string()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto reference = PilRgba(dir / "reference.png");
  ASSERT_TRUE(reference);
  Batch({"convert", "--to", "png", "print.jpg"});
  Batch({"convert", "--to", "bmp", "--metadata", "strip", "print.jpg"});
  Batch({"resize-jpg", "--pixels", "64", "--jpeg-quality", "100", "print.jpg"});
  for (const std::string name : {"print.jpg.png", "print.jpg.bmp", "mini-print.jpg"}) {
    SCOPED_TRACE(name);
    const auto out = PilRgba(dir / name);
    ASSERT_TRUE(out);
    const Difference d = Compare(*out, *reference);
    const bool reencoded = name == "mini-print.jpg";
    EXPECT_LT(d.mean, reencoded ? 5.0 : 0.6);
    EXPECT_LE(d.largest, reencoded ? 40 : 8);
    // The colours are sRGB now: the CMYK profile does not go along.
    EXPECT_TRUE(ExifToolBinary(dir / name, "ICC_Profile").empty());
  }
}

TEST_F(CmykTool, WithoutAProfileThePlainFormulaStays) {
  PIXTREL_SKIP_WITHOUT_EXIFTOOL();
  fs::copy_file(dir / "print.jpg", dir / "bare.jpg");
  ASSERT_TRUE(ExifToolWrite(dir / "bare.jpg", {"-ICC_Profile="}));
  ASSERT_TRUE(ExifToolBinary(dir / "bare.jpg", "ICC_Profile").empty());
  Batch({"convert", "--to", "png", "bare.jpg"});
  // The plain formula over the ink amounts PIL reads: each channel (255 - ink) * (255 - black).
  const RunResult r = RunPython(
      "import sys\nfrom PIL import Image\nim = Image.open(sys.argv[1])\n"
      "out = Image.new('RGB', im.size)\n"
      "out.putdata([tuple(((255 - v) * (255 - k) + 127) // 255 for v in (c, m, y))\n"
      "             for c, m, y, k in im.getdata()])\n"
      "out.save(sys.argv[2])\n",
      {(dir / "bare.jpg").string(), (dir / "plain.png").string()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  // (PIL and libjpeg take YCCK back to CMYK with their own rounding.)
  const Difference d = Compare(*PilRgba(dir / "bare.jpg.png"), *PilRgba(dir / "plain.png"));
  EXPECT_LT(d.mean, 0.5);
  EXPECT_LE(d.largest, 3);
}

}  // namespace
}  // namespace pixtrel::test
