// Colour profiles: classified as LittleCMS and real profile files say, converted to sRGB as
// PIL's ImageCms and a transform made here convert.
#include <gtest/gtest.h>
#include <lcms2.h>

#include <cstdlib>
#include <filesystem>

#include "metadata/ColourProfile.h"
#include "tests/metadata/MetadataSamples.h"

namespace pixtrel::test {
namespace {

// The sRGB colours lcms gives for the given pixels (format in and out as named).
Bytes LcmsToSrgb(const Bytes& profile, cmsUInt32Number format, const Bytes& pixels, int count) {
  cmsHPROFILE from = cmsOpenProfileFromMem(profile.data(), profile.size());
  cmsHPROFILE srgb = cmsCreate_sRGBProfile();
  cmsHTRANSFORM t =
      cmsCreateTransform(from, format, srgb, TYPE_RGB_8, INTENT_RELATIVE_COLORIMETRIC, 0);
  Bytes out(3 * count);
  cmsDoTransform(t, pixels.data(), out.data(), count);
  cmsDeleteTransform(t);
  cmsCloseProfile(srgb);
  cmsCloseProfile(from);
  return out;
}

// The largest difference of one channel between two equally long byte lists.
int LargestDifference(const Bytes& a, const Bytes& b) {
  int largest = 0;
  for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
    largest = std::max(largest, std::abs(int{a[i]} - int{b[i]}));
  return a.size() == b.size() ? largest : 256;
}

Bytes RgbOf(const Bitmap24& bitmap) {
  Bytes rgb;
  for (int y = 0; y < bitmap.height(); ++y)
    for (int x = 0; x < bitmap.width(); ++x) {
      const Bgr p = PixelAt(bitmap, x, y);
      rgb.insert(rgb.end(), {p.r, p.g, p.b});
    }
  return rgb;
}

TEST(ColourProfile, ClassifiesProfilesByWhatTheyDescribe) {
  EXPECT_EQ(ClassifyProfile({}), ProfileKind::None);
  EXPECT_EQ(ClassifyProfile(SrgbProfile()), ProfileKind::Srgb);
  EXPECT_EQ(ClassifyProfile(AdobeLikeProfile()), ProfileKind::Rgb);
  EXPECT_EQ(ClassifyProfile(GreyProfile()), ProfileKind::Grey);
  EXPECT_EQ(ClassifyProfile(CmykProfile()), ProfileKind::Other);
  EXPECT_EQ(ClassifyProfile(LabProfile()), ProfileKind::Other);
  EXPECT_EQ(ClassifyProfile(AbstractProfile()), ProfileKind::Damaged);
  Bytes garbage(600);
  for (std::size_t i = 0; i < garbage.size(); ++i)
    garbage[i] = static_cast<std::uint8_t>(i * 37 + 11);
  EXPECT_EQ(ClassifyProfile(garbage), ProfileKind::Damaged);
  const Bytes srgb = SrgbProfile();
  EXPECT_EQ(ClassifyProfile(Bytes(srgb.begin(), srgb.begin() + srgb.size() / 2)),
            ProfileKind::Damaged);
  EXPECT_EQ(ClassifyProfile(Bytes((std::size_t{16} << 20) + 1, 0)), ProfileKind::Damaged);
}

TEST(ColourProfile, ClassifiesInstalledProfileFiles) {
  const std::filesystem::path folder = "/usr/share/color/icc/colord";
  if (!std::filesystem::exists(folder / "sRGB.icc"))
    PIXTREL_SKIP_MISSING_TOOL() << "the ICC profiles of Debian package colord-data";
  EXPECT_EQ(ClassifyProfile(FileContents(folder / "sRGB.icc")), ProfileKind::Srgb);
  for (const char* name : {"AdobeRGB1998.icc", "ProPhotoRGB.icc", "SwappedRedAndGreen.icc"})
    EXPECT_EQ(ClassifyProfile(FileContents(folder / name)), ProfileKind::Rgb) << name;
}

TEST(ColourProfile, ConvertsPicturesAsImageCmsDoes) {
  PIXTREL_SKIP_WITHOUT_PIL();
  TempFolder folder;
  const Bytes adobe = AdobeLikeProfile();
  const Bitmap24 original = TestPattern(300, 250, 9);  // large enough to be split into bands
  Raster raster = original;
  ASSERT_TRUE(ConvertToSrgb(raster, adobe));
  const Bytes ours = RgbOf(std::get<Bitmap24>(raster));

  WriteBytes(folder / "adobe.icc", adobe);
  WriteBytes(folder / "in.rgb", RgbOf(original));
  const RunResult r = RunPython(
      "import sys\nfrom PIL import Image, ImageCms\n"
      "im = Image.frombytes('RGB', (300, 250), open(sys.argv[1], 'rb').read())\n"
      "out = ImageCms.profileToProfile(im, sys.argv[2], ImageCms.createProfile('sRGB'),\n"
      "    renderingIntent=ImageCms.Intent.RELATIVE_COLORIMETRIC)\n"
      "open(sys.argv[3], 'wb').write(out.tobytes())\n",
      {(folder / "in.rgb").string(), (folder / "adobe.icc").string(),
       (folder / "pil.rgb").string()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_LE(LargestDifference(ours, FileContents(folder / "pil.rgb")), 1);
  EXPECT_GT(LargestDifference(ours, RgbOf(original)), 20) << "Adobe RGB is wider than sRGB";
}

TEST(ColourProfile, ConvertsColourTablesAndGreyLevels) {
  const Bytes adobe = AdobeLikeProfile(), grey = GreyProfile();
  std::vector<Rgb> table;
  Bytes tableRgb;
  for (int i = 0; i < 200; ++i) {
    const Rgb c{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                static_cast<std::uint8_t>(i * 7)};
    table.push_back(c);
    tableRgb.insert(tableRgb.end(), {c.r, c.g, c.b});
  }
  Raster palette = PaletteBitmap(4, 4, 8, table);
  ASSERT_TRUE(ConvertToSrgb(palette, adobe));
  Bytes tableOut;
  for (const Rgb& c : std::get<PaletteBitmap>(palette).palette())
    tableOut.insert(tableOut.end(), {c.r, c.g, c.b});
  EXPECT_LE(LargestDifference(tableOut, LcmsToSrgb(adobe, TYPE_RGB_8, tableRgb, 200)), 1);

  // Grey: each pixel's green level becomes the profile's sRGB colour for it.
  const Bitmap24 pattern = TestPattern(64, 8, 4);
  Bytes levels;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 64; ++x)
      levels.push_back(PixelAt(pattern, x, y).g);
  Raster greyRaster = pattern;
  ASSERT_TRUE(ConvertToSrgb(greyRaster, grey));
  EXPECT_LE(LargestDifference(RgbOf(std::get<Bitmap24>(greyRaster)),
                              LcmsToSrgb(grey, TYPE_GRAY_8, levels, 64 * 8)),
            1);

  Raster srgb = pattern;
  ASSERT_TRUE(ConvertToSrgb(srgb, SrgbProfile()));
  EXPECT_LE(LargestDifference(RgbOf(std::get<Bitmap24>(srgb)), RgbOf(pattern)), 1);

  for (const Bytes& unusable : {CmykProfile(), AbstractProfile(), Bytes(300, 7), Bytes{}}) {
    Raster untouched = pattern;
    EXPECT_FALSE(ConvertToSrgb(untouched, unusable));
    EXPECT_TRUE(SamePixels(std::get<Bitmap24>(untouched), pattern));
  }
}

}  // namespace
}  // namespace pixtrel::test
