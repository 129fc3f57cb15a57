// PNG files we write, read back by PIL and by our reader: RGB, RGBA, palette, the metadata blocks,
// and alpha composited on white.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "codecs/png/PngFile.h"
#include "core/Errors.h"
#include "imaging/CompositeOnWhite.h"
#include "tests/formats/PictureTools.h"
#include "tests/support/TestSupport.h"

namespace pixtrel::test {
namespace {

std::vector<std::uint8_t> AlphaPattern(int width, int height) {
  std::vector<std::uint8_t> alpha(static_cast<std::size_t>(width) * height);
  for (std::size_t i = 0; i < alpha.size(); ++i)
    alpha[i] = static_cast<std::uint8_t>(i * 37 % 256);
  return alpha;
}

// The mode PIL gives the file, or "" when PIL cannot read it.
std::string PilMode(const std::filesystem::path& file) {
  const RunResult r = RunPython(
      "import sys\nfrom PIL import Image\nprint(Image.open(sys.argv[1]).mode)\n", {file.string()});
  return r.exitCode == 0 ? LastLine(r.out) : "";
}

TEST(PngWrite, RgbIsReadBackByPilPixelForPixel) {
  if (!PythonWithPil()) PIXTREL_SKIP_MISSING_TOOL() << "Python with PIL";
  TempFolder folder;
  const Bitmap24 source = TestPattern(61, 33, 4);
  const auto file = folder / "out.png";
  WriteBytes(file, EncodePng(source, nullptr, {}));
  EXPECT_EQ(PilMode(file), "RGB");
  DecodedPicture expected;
  expected.raster = source;
  const auto pil = ReadRgbaWithPil(file);
  ASSERT_TRUE(pil.has_value());
  EXPECT_EQ(FirstDifference(RgbaOf(expected), *pil), "");
  EXPECT_EQ(FirstDifference(RgbaOf(expected), RgbaOf(ReadPngBytes(FileContents(file)))), "");
}

TEST(PngWrite, AlphaIsKeptAsRgba) {
  if (!PythonWithPil()) PIXTREL_SKIP_MISSING_TOOL() << "Python with PIL";
  TempFolder folder;
  DecodedPicture expected;
  expected.raster = TestPattern(40, 25, 9);
  expected.alpha = AlphaPattern(40, 25);
  const auto file = folder / "alpha.png";
  WriteBytes(file, EncodePng(expected.raster, &*expected.alpha, {}));
  EXPECT_EQ(PilMode(file), "RGBA");
  const auto pil = ReadRgbaWithPil(file);
  ASSERT_TRUE(pil.has_value());
  EXPECT_EQ(FirstDifference(RgbaOf(expected), *pil), "");
  const DecodedPicture back = ReadPngBytes(FileContents(file));
  ASSERT_TRUE(back.alpha.has_value());
  EXPECT_EQ(*back.alpha, *expected.alpha);
}

TEST(PngWrite, PaletteBitmapIsWrittenAsPaletteOfFewestBits) {
  if (!PythonWithPil()) PIXTREL_SKIP_MISSING_TOOL() << "Python with PIL";
  TempFolder folder;
  std::vector<Rgb> table;
  for (int i = 0; i < 11; ++i) {
    table.push_back(Rgb{static_cast<std::uint8_t>(i * 23), static_cast<std::uint8_t>(255 - i * 9),
                        static_cast<std::uint8_t>(i * i)});
  }
  PaletteBitmap indices(19, 7, 4, table);
  for (int y = 0; y < 7; ++y) {
    for (int x = 0; x < 19; ++x)
      indices.row(y)[x] = static_cast<std::uint8_t>((x + 3 * y) % 11);
  }
  const auto file = folder / "palette.png";
  const Bytes bytes = EncodePng(indices, nullptr, {});
  WriteBytes(file, bytes);
  EXPECT_EQ(ReadPngHeader(bytes).colourType, 3);
  EXPECT_EQ(ReadPngHeader(bytes).bitDepth, 4);
  EXPECT_EQ(PilMode(file), "P");
  DecodedPicture expected;
  expected.raster = indices;
  const auto pil = ReadRgbaWithPil(file);
  ASSERT_TRUE(pil.has_value());
  EXPECT_EQ(FirstDifference(RgbaOf(expected), *pil), "");
  const DecodedPicture back = ReadPngBytes(bytes);
  ASSERT_TRUE(std::holds_alternative<PaletteBitmap>(back.raster));
  const auto& read = std::get<PaletteBitmap>(back.raster);
  EXPECT_EQ(read.palette(), table);
  EXPECT_TRUE(std::equal(read.data(), read.data() + read.pixelCount(), indices.data()));
}

TEST(PngWrite, MetadataBlocksAreWrittenAsGiven) {
  if (!PythonWithPil()) PIXTREL_SKIP_MISSING_TOOL() << "Python with PIL";
  TempFolder folder;
  const RunResult profile = RunPython(
      "import sys\nfrom PIL import ImageCms\n"
      "open(sys.argv[1], 'wb').write("
      "ImageCms.ImageCmsProfile(ImageCms.createProfile('sRGB')).tobytes())\n",
      {(folder / "srgb.icc").string()});
  if (profile.exitCode != 0)
    PIXTREL_SKIP_MISSING_TOOL() << "PIL's ImageCms makes the profile: " << profile.err;
  PictureMetadata metadata;
  metadata.icc = FileContents(folder / "srgb.icc");
  metadata.exif = {'I', 'I', '*', 0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  const std::string xmp = "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">K\xc3\xb6ln</x:xmpmeta>";
  metadata.xmp.assign(xmp.begin(), xmp.end());
  const auto file = folder / "meta.png";
  WriteBytes(file, EncodePng(TestPattern(8, 6), nullptr, metadata));
  for (const char* part : {"exif", "icc", "xmp"})
    std::filesystem::remove(folder / part);
  const RunResult r = RunPython(
      "import sys, os\nfrom PIL import Image\n"
      "im = Image.open(sys.argv[1]); im.load()\n"
      "d = sys.argv[2]\n"
      "e = im.info['exif']\n"
      "e = e[6:] if e.startswith(b'Exif\\x00\\x00') else e  # PIL adds the JPEG-style prefix\n"
      "open(os.path.join(d, 'exif'), 'wb').write(e)\n"
      "open(os.path.join(d, 'icc'), 'wb').write(im.info['icc_profile'])\n"
      "open(os.path.join(d, 'xmp'), 'wb').write(im.info['XML:com.adobe.xmp'].encode('utf-8'))\n",
      {file.string(), folder.path().string()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(FileContents(folder / "exif"), metadata.exif);
  EXPECT_EQ(FileContents(folder / "icc"), metadata.icc);
  EXPECT_EQ(FileContents(folder / "xmp"), metadata.xmp);
  const DecodedPicture back = ReadPngBytes(FileContents(file));
  EXPECT_EQ(back.metadata.exif, metadata.exif);
  EXPECT_EQ(back.metadata.icc, metadata.icc);
  EXPECT_EQ(back.metadata.xmp, metadata.xmp);
}

TEST(PngWrite, DamagedProfileIsLeftOutAndThePictureStillWritten) {
  PictureMetadata metadata;
  metadata.icc.assign(300, 0x41);
  const Bitmap24 source = TestPattern(9, 9);
  const DecodedPicture back = ReadPngBytes(EncodePng(source, nullptr, metadata));
  EXPECT_TRUE(back.metadata.icc.empty());
  ASSERT_TRUE(std::holds_alternative<Bitmap24>(back.raster));
  EXPECT_TRUE(SamePixels(std::get<Bitmap24>(back.raster), source));
}

TEST(PngWrite, CompressionLevelsGiveTheSamePixels) {
  const Bitmap24 source = TestPattern(50, 40, 2);
  const Bytes stored = EncodePng(source, nullptr, {}, 0);
  const Bytes packed = EncodePng(source, nullptr, {}, 9);
  EXPECT_GT(stored.size(), packed.size());
  EXPECT_TRUE(SamePixels(std::get<Bitmap24>(ReadPngBytes(stored).raster), source));
  EXPECT_TRUE(SamePixels(std::get<Bitmap24>(ReadPngBytes(packed).raster), source));
  EXPECT_THROW((void)EncodePng(source, nullptr, {}, 10), Exception);
}

// The filter types of a non-interlaced truecolour file's rows, as read by Python's zlib, in the
// order they first appear (e.g. "1" or "0 1 4"), or "" when Python cannot read the file.
std::string RowFilters(const std::filesystem::path& file, int bytesPerPixel) {
  const RunResult r = RunPython(
      "import struct, sys, zlib\n"
      "data = open(sys.argv[1], 'rb').read()\n"
      "w = struct.unpack('>I', data[16:20])[0]\n"
      "pos, idat = 8, b''\n"
      "while pos < len(data):\n"
      "  n, kind = struct.unpack('>I4s', data[pos:pos + 8])\n"
      "  if kind == b'IDAT': idat += data[pos + 8:pos + 8 + n]\n"
      "  pos += 12 + n\n"
      "raw = zlib.decompress(idat)\n"
      "row = 1 + w * int(sys.argv[2])\n"
      "seen = []\n"
      "for i in range(0, len(raw), row):\n"
      "  if raw[i] not in seen: seen.append(raw[i])\n"
      "print(' '.join(str(f) for f in seen))\n",
      {file.string(), std::to_string(bytesPerPixel)});
  return r.exitCode == 0 ? LastLine(r.out) : "";
}

TEST(PngWrite, PhotosAreWrittenFastAndLevelsSevenToNineTryEveryFilter) {
  if (!PythonWithPil()) PIXTREL_SKIP_MISSING_TOOL() << "Python with PIL";
  TempFolder folder;
  const Bitmap24 source = TestPattern(120, 90, 5);
  const std::vector<std::uint8_t> alpha = AlphaPattern(120, 90);
  // The usual level: every row of a truecolour picture takes the one filter "Sub".
  WriteBytes(folder / "fast.png", EncodePng(source, nullptr, {}));
  WriteBytes(folder / "fast-alpha.png", EncodePng(source, &alpha, {}));
  EXPECT_EQ(RowFilters(folder / "fast.png", 3), "1");
  EXPECT_EQ(RowFilters(folder / "fast-alpha.png", 4), "1");
  // Level 9: libpng picks a filter for each row; on this picture more than one.
  const Bytes thorough = EncodePng(source, nullptr, {}, 9);
  WriteBytes(folder / "thorough.png", thorough);
  const std::string filters = RowFilters(folder / "thorough.png", 3);
  EXPECT_NE(filters.find(' '), std::string::npos) << filters;
  // Whatever the filters, PIL and our reader see the same pixels.
  DecodedPicture expected;
  expected.raster = source;
  for (const char* name : {"fast.png", "thorough.png"}) {
    const auto pil = ReadRgbaWithPil(folder / name);
    ASSERT_TRUE(pil) << name;
    EXPECT_EQ(FirstDifference(RgbaOf(expected), *pil), "") << name;
    EXPECT_EQ(FirstDifference(RgbaOf(expected), RgbaOf(ReadPngBytes(FileContents(folder / name)))),
              "")
        << name;
  }
  expected.alpha = alpha;
  const auto pilAlpha = ReadRgbaWithPil(folder / "fast-alpha.png");
  ASSERT_TRUE(pilAlpha);
  EXPECT_EQ(FirstDifference(RgbaOf(expected), *pilAlpha), "");
}

TEST(PngWrite, AlphaOfTheWrongSizeIsRefused) {
  const std::vector<std::uint8_t> alpha(5, 255);
  EXPECT_THROW((void)EncodePng(TestPattern(4, 4), &alpha, {}), Exception);
}

TEST(CompositeOnWhite, EveryColourAndAlphaRoundsToTheNearestValue) {
  DecodedPicture picture;
  Bitmap24 bitmap(256, 256);
  std::vector<std::uint8_t> alpha(256 * 256);
  for (int a = 0; a < 256; ++a) {
    for (int c = 0; c < 256; ++c) {
      std::uint8_t* p = bitmap.row(a) + c * 3;
      p[0] = static_cast<std::uint8_t>(c);
      p[1] = static_cast<std::uint8_t>(255 - c);
      p[2] = static_cast<std::uint8_t>(c / 2);
      alpha[a * 256 + c] = static_cast<std::uint8_t>(a);
    }
  }
  picture.raster = bitmap;
  picture.alpha = alpha;
  const Bitmap24 out = CompositeOnWhite(picture);
  for (int a = 0; a < 256; ++a) {
    for (int c = 0; c < 256; ++c) {
      for (int k = 0; k < 3; ++k) {
        const int colour = bitmap.row(a)[c * 3 + k];
        const double exact = (colour * a + 255.0 * (255 - a)) / 255.0;
        ASSERT_EQ(out.row(a)[c * 3 + k], std::lround(exact))
            << "colour " << colour << " alpha " << a;
      }
    }
  }
  EXPECT_EQ(PixelAt(out, 0, 0), (Bgr{255, 255, 255}));
  EXPECT_EQ(PixelAt(out, 10, 255), (Bgr{10, 245, 5}));
}

TEST(CompositeOnWhite, PictureWithoutAlphaIsUnchanged) {
  DecodedPicture picture;
  picture.raster = TestPattern(7, 5);
  EXPECT_TRUE(SamePixels(CompositeOnWhite(picture), std::get<Bitmap24>(picture.raster)));
}

}  // namespace
}  // namespace pixtrel::test
