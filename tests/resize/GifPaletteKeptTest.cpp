// GIF to GIF without new colours: a turn, and a Normal resize (which only picks pixels), keep the
// picture's own colour table and move its indices; checked with our reader and with PIL. Their
// transparent colour: tests/gif/TransparencyToolTest.cpp.
#include <gtest/gtest.h>

#include <set>

#include "codecs/gif/GifCodec.h"
#include "imaging/RotatePalette.h"
#include "imaging/StretchPalette.h"
#include "tests/gif/GifBuilder.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;
using namespace pixtrel;
using namespace pixtrel::test;

namespace {

// 64 x 40 over 256 distinct colours, every one of them used.
PaletteBitmap FullTable() {
  std::vector<Rgb> table;
  for (int i = 0; i < 256; ++i) {
    table.push_back(Rgb{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>((i * 53) % 256),
                        static_cast<std::uint8_t>((i * 101 + 7) % 256)});
  }
  PaletteBitmap bitmap(64, 40, 8, table);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 64; ++x)
      bitmap.row(y)[x] = static_cast<std::uint8_t>((x * 5 + y * 64 + (x ^ y)) % 256);
  return bitmap;
}

void WritePaletteGif(const PaletteBitmap& bitmap, const fs::path& file) {
  TGIFImage picture;
  SetGifRaster(picture, bitmap);
  WriteGifFile(picture, file);
}

PaletteBitmap ReadIndices(const fs::path& file) {
  Raster raster = GifFrameRaster(ReadGifFile(file));
  const auto* indices = std::get_if<PaletteBitmap>(&raster);
  if (!indices) ADD_FAILURE() << file << " is not read as a palette picture";
  return indices ? *indices : PaletteBitmap();
}

// The picture's colours, looked up through its table, as r g b bytes row by row.
std::vector<std::uint8_t> Rgb24(const PaletteBitmap& bitmap) {
  std::vector<std::uint8_t> out;
  for (std::size_t i = 0; i < bitmap.pixelCount(); ++i) {
    const Rgb c = bitmap.palette().at(bitmap.data()[i]);
    out.insert(out.end(), {c.r, c.g, c.b});
  }
  return out;
}

std::size_t DistinctColours(const std::vector<std::uint8_t>& rgb) {
  std::set<std::uint32_t> seen;
  for (std::size_t i = 0; i + 2 < rgb.size(); i += 3)
    seen.insert(std::uint32_t{rgb[i]} << 16 | std::uint32_t{rgb[i + 1]} << 8 | rgb[i + 2]);
  return seen.size();
}

// What PIL sees in the file must be the expected picture exactly.
void ExpectPilSees(const fs::path& file, const PaletteBitmap& expected) {
  if (!PythonWithPil()) PIXTREL_SKIP_MISSING_TOOL() << "Python with PIL";
  const std::optional<PilPicture> pil = ReadWithPil(file);
  ASSERT_TRUE(pil.has_value());
  EXPECT_EQ(pil->width, expected.width());
  EXPECT_EQ(pil->height, expected.height());
  EXPECT_EQ(DistinctColours(pil->rgb), 256u);
  EXPECT_TRUE(pil->rgb == Rgb24(expected)) << "PIL reads other pixels from " << file;
}

TEST(GifPaletteKept, RotatingA256ColourGifKeepsEveryColourAndTurnsItsIndices) {
  TempFolder dir;
  const PaletteBitmap source = FullTable();
  WritePaletteGif(source, dir / "p.gif");
  for (const auto& [turn, angle, prefix] :
       {std::tuple{"right", 270, "right-"}, std::tuple{"left", 90, "left-"},
        std::tuple{"180", 180, "180-"}}) {
    const RunResult r =
        RunBatchTool({"rotate", "--turn", turn, "-q", "-C", dir.path().string(), "p.gif"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const fs::path output = dir / (std::string(prefix) + "p.gif");
    const PaletteBitmap got = ReadIndices(output);
    const PaletteBitmap expected = RotatePalette(angle, source);
    ASSERT_EQ(got.width(), expected.width()) << turn;
    ASSERT_EQ(got.height(), expected.height()) << turn;
    EXPECT_EQ(got.palette(), source.palette()) << turn;
    EXPECT_TRUE(std::equal(got.data(), got.data() + got.pixelCount(), expected.data())) << turn;
    EXPECT_EQ(DistinctColours(Rgb24(got)), 256u) << turn;
    ExpectPilSees(output, expected);
  }
}

TEST(GifPaletteKept, NormalResizeOfAGifKeepsItsTableAndPicksItsIndices) {
  TempFolder dir;
  const PaletteBitmap source = FullTable();
  WritePaletteGif(source, dir / "p.gif");
  // 64 x 40 to 128 x 80: every source pixel is kept, doubled.
  const RunResult r = RunBatchTool({"resize-gif", "--method", "normal", "--pixels", "128", "-q",
                                    "-C", dir.path().string(), "p.gif"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const PaletteBitmap got = ReadIndices(dir / "mini-p.gif");
  const PaletteBitmap expected = StretchPalette(source, 128, 80);
  ASSERT_EQ(got.width(), 128);
  ASSERT_EQ(got.height(), 80);
  EXPECT_EQ(got.palette(), source.palette());
  EXPECT_TRUE(std::equal(got.data(), got.data() + got.pixelCount(), expected.data()));
  ExpectPilSees(dir / "mini-p.gif", expected);
}

TEST(GifPaletteKept, IndicesPastAShortTableStillTurnAndResizeAsBlack) {
  TempFolder dir;
  // A two-entry table (black, grey 16) and pixels that use indices 2 and 3 beyond it.
  GifBuilder gif;
  gif.screen(4, 2, 1).image(0, 0, 4, 2, 0, {0, 1, 2, 3, 3, 2, 1, 0}).trailer();
  WriteBytes(dir / "s.gif", Bytes(gif.bytes.begin(), gif.bytes.end()));
  const Bitmap24 shown = ToBitmap24(GifFrameRaster(ReadGifFile(dir / "s.gif")));

  ASSERT_EQ(
      RunBatchTool({"rotate", "--turn", "180", "-q", "-C", dir.path().string(), "s.gif"}).exitCode,
      0);
  const Bitmap24 turned = ToBitmap24(GifFrameRaster(ReadGifFile(dir / "180-s.gif")));
  ASSERT_EQ(turned.width(), 4);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(PixelAt(turned, 3 - x, 1 - y), PixelAt(shown, x, y)) << x << "," << y;
  EXPECT_EQ(PixelAt(turned, 3, 1), (Bgr{0, 0, 0}));
  EXPECT_EQ(PixelAt(turned, 1, 1), (Bgr{0, 0, 0}));  // index 2: black

  ASSERT_EQ(RunBatchTool({"resize-gif", "--method", "normal", "--pixels", "8", "-q", "-C",
                          dir.path().string(), "s.gif"})
                .exitCode,
            0);
  const Bitmap24 doubled = ToBitmap24(GifFrameRaster(ReadGifFile(dir / "mini-s.gif")));
  ASSERT_EQ(doubled.width(), 8);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 8; ++x)
      EXPECT_EQ(PixelAt(doubled, x, y), PixelAt(shown, x / 2, y / 2)) << x << "," << y;
}

}  // namespace
