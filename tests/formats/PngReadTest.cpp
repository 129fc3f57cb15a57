// Reading PNG files of every colour type, bit depth and interlacing, made by ImageMagick and by
// PIL, checked pixel for pixel against the picture they were made from or against PIL's reading.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "codecs/png/PngFile.h"
#include "core/Errors.h"
#include "tests/formats/PictureTools.h"
#include "tests/support/TestSupport.h"

namespace pixtrel::test {
namespace {

constexpr int kWidth = 37;
constexpr int kHeight = 23;

enum class Kind { Grey, GreyAlpha, Rgb, RgbAlpha, Palette, PaletteClear };

struct Case {
  const char* name;
  Kind kind;
  int bitDepth;
  bool interlaced;
  int colourType;  // as the file must say
};

// A source picture every sample of which the case's file can hold exactly.
Rgba SourceFor(const Case& c) {
  Rgba out{kWidth, kHeight, std::vector<std::uint8_t>(kWidth * kHeight * 4)};
  static const std::array<std::array<std::uint8_t, 3>, 16> kColours{{{200, 30, 40},
                                                                     {20, 180, 60},
                                                                     {10, 40, 220},
                                                                     {250, 250, 10},
                                                                     {90, 0, 140},
                                                                     {0, 120, 120},
                                                                     {255, 128, 0},
                                                                     {60, 60, 60},
                                                                     {230, 200, 180},
                                                                     {5, 90, 30},
                                                                     {140, 70, 20},
                                                                     {100, 200, 255},
                                                                     {255, 0, 255},
                                                                     {30, 30, 120},
                                                                     {170, 170, 90},
                                                                     {240, 100, 140}}};
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      std::uint8_t* p = &out.pixels[(static_cast<std::size_t>(y) * kWidth + x) * 4];
      p[3] = 255;
      switch (c.kind) {
        case Kind::Grey:
        case Kind::GreyAlpha: {
          const int levels = c.bitDepth >= 8 ? 256 : 1 << c.bitDepth;
          const int level = (x * 7 + y * 3) % levels;
          p[0] = p[1] = p[2] = static_cast<std::uint8_t>(level * 255 / (levels - 1));
          if (c.kind == Kind::GreyAlpha) p[3] = static_cast<std::uint8_t>((x * 11 + y * 29) % 256);
          break;
        }
        case Kind::Rgb:
        case Kind::RgbAlpha:
          p[0] = static_cast<std::uint8_t>(x * 7 + y);
          p[1] = static_cast<std::uint8_t>(y * 11 + 3 * x);
          p[2] = static_cast<std::uint8_t>((x * y) ^ 0x5a);
          if (c.kind == Kind::RgbAlpha) p[3] = static_cast<std::uint8_t>((x * 13 + y * 17) % 256);
          break;
        case Kind::Palette:
        case Kind::PaletteClear: {
          const int count = c.kind == Kind::PaletteClear ? 8 : 1 << std::min(c.bitDepth, 4);
          const auto& colour = kColours[(x / 3 + y * 2) % count];
          p[0] = colour[0], p[1] = colour[1], p[2] = colour[2];
          if (c.kind == Kind::PaletteClear && (x + y) % 5 == 0) p[3] = 0;
          break;
        }
      }
    }
  }
  return out;
}

const Case kConvertCases[] = {
    {"grey1", Kind::Grey, 1, false, 0},
    {"grey2", Kind::Grey, 2, false, 0},
    {"grey4", Kind::Grey, 4, false, 0},
    {"grey8", Kind::Grey, 8, false, 0},
    {"grey16", Kind::Grey, 16, false, 0},
    {"greyalpha8", Kind::GreyAlpha, 8, false, 4},
    {"greyalpha16", Kind::GreyAlpha, 16, false, 4},
    {"rgb8", Kind::Rgb, 8, false, 2},
    {"rgb16", Kind::Rgb, 16, false, 2},
    {"rgba8", Kind::RgbAlpha, 8, false, 6},
    {"rgba16", Kind::RgbAlpha, 16, false, 6},
    {"palette1", Kind::Palette, 1, false, 3},
    {"palette2", Kind::Palette, 2, false, 3},
    {"palette4", Kind::Palette, 4, false, 3},
    {"palette8", Kind::Palette, 8, false, 3},
    {"palettetrns", Kind::PaletteClear, 8, false, 3},
    {"grey1i", Kind::Grey, 1, true, 0},
    {"grey16i", Kind::Grey, 16, true, 0},
    {"greyalpha8i", Kind::GreyAlpha, 8, true, 4},
    {"rgb8i", Kind::Rgb, 8, true, 2},
    {"rgba16i", Kind::RgbAlpha, 16, true, 6},
    {"palette4i", Kind::Palette, 4, true, 3},
    {"palettetrnsi", Kind::PaletteClear, 8, true, 3},
};

class PngFromConvert : public ::testing::TestWithParam<Case> {};

TEST_P(PngFromConvert, ReadsEveryPixelOfTheSource) {
  if (!HaveProgram("convert")) PIXTREL_SKIP_MISSING_TOOL() << "ImageMagick's convert";
  const Case& c = GetParam();
  TempFolder folder;
  const Rgba source = SourceFor(c);
  WritePam(folder / "source.pam", source);
  const auto file = folder / "picture.png";
  std::vector<std::string> argv{"convert", "PAM:" + (folder / "source.pam").string()};
  if (c.interlaced) argv.insert(argv.end(), {"-interlace", "PNG"});
  // For palette files -depth would reduce the table's samples, not the index size.
  if (c.colourType != 3) argv.insert(argv.end(), {"-depth", std::to_string(c.bitDepth)});
  argv.insert(argv.end(), {"-define", "png:bit-depth=" + std::to_string(c.bitDepth), "-define",
                           "png:color-type=" + std::to_string(c.colourType),
                           (c.colourType == 3 ? "PNG8:" : "PNG:") + file.string()});
  const RunResult made = RunProgram(argv);
  ASSERT_EQ(made.exitCode, 0) << made.err;
  const Bytes bytes = FileContents(file);
  const PngHeader header = ReadPngHeader(bytes);
  ASSERT_EQ(header.colourType, c.colourType) << "convert made another colour type";
  ASSERT_EQ(header.bitDepth, c.bitDepth) << "convert made another bit depth";
  ASSERT_EQ(header.interlace, c.interlaced ? 1 : 0);

  const DecodedPicture picture = ReadPngBytes(bytes);
  const bool expectPalette = c.kind == Kind::Palette;
  EXPECT_EQ(std::holds_alternative<PaletteBitmap>(picture.raster), expectPalette);
  const bool expectAlpha =
      c.kind == Kind::GreyAlpha || c.kind == Kind::RgbAlpha || c.kind == Kind::PaletteClear;
  EXPECT_EQ(picture.alpha.has_value(), expectAlpha);
  EXPECT_TRUE(picture.lossless);
  EXPECT_EQ(FirstDifference(source, RgbaOf(picture)), "");
}

INSTANTIATE_TEST_SUITE_P(EveryForm, PngFromConvert, ::testing::ValuesIn(kConvertCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Files PIL writes, including tRNS on grey and RGB pictures, against PIL's own reading.
TEST(PngFromPil, EveryModeMatchesPilsReading) {
  if (!PythonWithPil()) PIXTREL_SKIP_MISSING_TOOL() << "Python with PIL";
  TempFolder folder;
  const RunResult made = RunPython(
      "import sys, os\n"
      "from PIL import Image\n"
      "d = sys.argv[1]\n"
      "rgba = Image.new('RGBA', (29, 17))\n"
      "rgba.putdata([((x*9)%256, (y*15)%256, (x*y)%256, (x*17+y*3)%256)\n"
      "              for y in range(17) for x in range(29)])\n"
      "rgb = rgba.convert('RGB')\n"
      "rgb.convert('1').save(os.path.join(d, 'mode1.png'))\n"
      "rgb.convert('L').save(os.path.join(d, 'modeL.png'))\n"
      "rgba.convert('LA').save(os.path.join(d, 'modeLA.png'))\n"
      "rgb.save(os.path.join(d, 'modeRGB.png'))\n"
      "rgba.save(os.path.join(d, 'modeRGBA.png'))\n"
      "for n in (2, 4):\n"
      "    p = rgb.quantize(1 << n)\n"
      "    p.save(os.path.join(d, 'modeP%d.png' % n), bits=n)\n"
      "p = rgb.quantize(200)\n"
      "p.save(os.path.join(d, 'modeP8.png'))\n"
      "p.save(os.path.join(d, 'modePtrns.png'), transparency=3)\n"
      "rgb.convert('L').save(os.path.join(d, 'modeLtrns.png'), transparency=0)\n"
      "rgb.save(os.path.join(d, 'modeRGBtrns.png'), transparency=rgb.getpixel((4, 4)))\n",
      {folder.path().string()});
  ASSERT_EQ(made.exitCode, 0) << made.err;
  struct Expect {
    const char* file;
    bool palette;
    bool alpha;
  };
  const Expect expects[] = {{"mode1.png", false, false},     {"modeL.png", false, false},
                            {"modeLA.png", false, true},     {"modeRGB.png", false, false},
                            {"modeRGBA.png", false, true},   {"modeP2.png", true, false},
                            {"modeP4.png", true, false},     {"modeP8.png", true, false},
                            {"modePtrns.png", false, true},  {"modeLtrns.png", false, true},
                            {"modeRGBtrns.png", false, true}};
  for (const Expect& e : expects) {
    SCOPED_TRACE(e.file);
    const auto file = folder / e.file;
    const DecodedPicture picture = ReadPngBytes(FileContents(file));
    EXPECT_EQ(std::holds_alternative<PaletteBitmap>(picture.raster), e.palette);
    EXPECT_EQ(picture.alpha.has_value(), e.alpha);
    const auto pil = ReadRgbaWithPil(file);
    ASSERT_TRUE(pil.has_value());
    EXPECT_EQ(FirstDifference(*pil, RgbaOf(picture)), "");
  }
}

TEST(PngFromPil, ReturnsTheMetadataBlocksAsStored) {
  if (!PythonWithPil()) PIXTREL_SKIP_MISSING_TOOL() << "Python with PIL";
  TempFolder folder;
  const auto file = folder / "meta.png";
  const RunResult made = RunPython(
      "import sys\n"
      "from PIL import Image, PngImagePlugin\n"
      "exif = b'MM\\x00*\\x00\\x00\\x00\\x08\\x00\\x00\\x00\\x00\\x00\\x00'\n"
      "from PIL import ImageCms\n"
      "icc = ImageCms.ImageCmsProfile(ImageCms.createProfile('sRGB')).tobytes()\n"
      "open(sys.argv[2], 'wb').write(icc)\n"
      "xmp = '<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">caf\\u00e9</x:xmpmeta>'\n"
      "info = PngImagePlugin.PngInfo()\n"
      "info.add_itxt('XML:com.adobe.xmp', xmp)\n"
      "Image.new('RGB', (5, 4), (1, 2, 3)).save(sys.argv[1], exif=exif, icc_profile=icc,\n"
      "                                          pnginfo=info)\n",
      {file.string(), (folder / "profile.icc").string()});
  ASSERT_EQ(made.exitCode, 0) << made.err;
  const DecodedPicture picture = ReadPngBytes(FileContents(file));
  const std::vector<std::uint8_t> exif{'M', 'M', 0, '*', 0, 0, 0, 8, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(picture.metadata.exif, exif);
  const Bytes icc = FileContents(folder / "profile.icc");
  ASSERT_FALSE(icc.empty());
  EXPECT_EQ(picture.metadata.icc, icc);
  const std::string xmp = "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">caf\xc3\xa9</x:xmpmeta>";
  EXPECT_EQ(std::string(picture.metadata.xmp.begin(), picture.metadata.xmp.end()), xmp);
}

TEST(PngRead, RefusesWhatIsNotPng) {
  const std::vector<std::uint8_t> bytes{'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0};
  try {
    (void)ReadPngBytes(bytes);
    FAIL() << "no error";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "PNG error: not a PNG file");
  }
}

}  // namespace
}  // namespace pixtrel::test
