// A transparent GIF through pixtrel-batch: turns, Normal resizes and convert --to gif keep its
// colour table and its transparent colour, so what was see-through stays so; convert --to into a
// format without alpha draws the transparent parts white; the classic gif2bmp and gif2jpg show
// the table colour of the transparent index, as they always have. Read back with our reader and
// with PIL.
#include <gtest/gtest.h>

#include <array>

#include "codecs/bmp/Bmp.h"
#include "codecs/gif/GifCodec.h"
#include "imaging/RotatePalette.h"
#include "imaging/StretchPalette.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;
using namespace pixtrel;
using namespace pixtrel::test;

namespace {

const Rgb kHidden{0, 255, 0};  // the transparent index's own colour: it must never show

// 6 x 4, index 0 transparent, 1 red, 2 blue, 3 grey (unused).
PaletteBitmap Indices() {
  PaletteBitmap bitmap(6, 4, 8, {kHidden, Rgb{255, 0, 0}, Rgb{0, 0, 255}, Rgb{9, 9, 9}});
  const std::uint8_t pixels[] = {0, 0, 1, 1, 2, 2, 0, 1, 1, 2, 2, 0,
                                 1, 1, 0, 0, 2, 2, 2, 0, 0, 1, 1, 0};
  std::copy(std::begin(pixels), std::end(pixels), bitmap.data());
  return bitmap;
}

fs::path WriteTransparentGif(const TempFolder& dir) {
  TGIFImage picture;
  SetGifRaster(picture, Indices());
  TGIFGraphicControlExtension control;
  control.packedFields = 1;  // index 0 transparent
  control.transparentIndex = 0;
  picture.images.front().extensions.emplace_back(control);
  const fs::path file = dir / "t.gif";
  WriteGifFile(picture, file);
  return file;
}

// The output's only frame: its table, its transparent index and its indices.
struct Frame {
  std::vector<Rgb> table;
  int transparent = -1;
  PaletteBitmap indices;
};

Frame ReadFrame(const fs::path& file) {
  const TGIFImage picture = ReadGifFile(file);
  Frame frame;
  if (picture.images.size() != 1) {
    ADD_FAILURE() << file << " has " << picture.images.size() << " frames";
    return frame;
  }
  frame.transparent = picture.images.front().transparentIndex();
  Raster raster = GifFrameRaster(picture);
  if (auto* indices = std::get_if<PaletteBitmap>(&raster)) {
    frame.table = indices->palette();
    frame.indices = std::move(*indices);
  } else {
    ADD_FAILURE() << file << " is not read as a palette picture";
  }
  return frame;
}

void ExpectSameIndices(const PaletteBitmap& got, const PaletteBitmap& expected) {
  ASSERT_EQ(got.width(), expected.width());
  ASSERT_EQ(got.height(), expected.height());
  EXPECT_TRUE(std::equal(got.data(), got.data() + got.pixelCount(), expected.data()));
}

// PIL sees the indices' colours, fully transparent where the index is the transparent one.
void ExpectPilSeesTransparency(const fs::path& file, const PaletteBitmap& expected) {
  const std::optional<RgbaPicture> pil = PilRgba(file);
  ASSERT_TRUE(pil.has_value()) << file;
  ASSERT_EQ(pil->width, expected.width());
  ASSERT_EQ(pil->height, expected.height());
  for (int y = 0; y < expected.height(); ++y) {
    for (int x = 0; x < expected.width(); ++x) {
      const std::uint8_t index = expected.row(y)[x];
      const std::uint8_t* p = pil->at(x, y);
      if (index == 0) {
        EXPECT_EQ(p[3], 0) << file << " at " << x << "," << y;
      } else {
        const Rgb c = expected.palette()[index];
        EXPECT_EQ((std::array<int, 4>{p[0], p[1], p[2], p[3]}),
                  (std::array<int, 4>{c.r, c.g, c.b, 255}))
            << file << " at " << x << "," << y;
      }
    }
  }
}

RunResult Batch(const TempFolder& dir, std::vector<std::string> args) {
  args.insert(args.end(), {"-q", "-C", dir.path().string(), "t.gif"});
  return RunBatchTool(args);
}

TEST(GifTransparency, EveryTurnKeepsTheTableAndTheTransparentColour) {
  PIXTREL_SKIP_WITHOUT_PIL();
  TempFolder dir;
  WriteTransparentGif(dir);
  for (const auto& [turn, angle, prefix] :
       {std::tuple{"right", 270, "right-"}, std::tuple{"left", 90, "left-"},
        std::tuple{"180", 180, "180-"}}) {
    ASSERT_EQ(Batch(dir, {"rotate", "--turn", turn}).exitCode, 0) << turn;
    const fs::path output = dir / (std::string(prefix) + "t.gif");
    const Frame got = ReadFrame(output);
    EXPECT_EQ(got.transparent, 0) << turn;
    EXPECT_EQ(got.table, Indices().palette()) << turn;
    const PaletteBitmap expected = RotatePalette(angle, Indices());
    ExpectSameIndices(got.indices, expected);
    ExpectPilSeesTransparency(output, expected);
  }
}

TEST(GifTransparency, ANormalResizeKeepsTheTransparentColourEnlargedOrShrunk) {
  PIXTREL_SKIP_WITHOUT_PIL();
  TempFolder dir;
  WriteTransparentGif(dir);
  for (const auto& [pixels, width, height] : {std::tuple{"15", 15, 10}, std::tuple{"3", 3, 2}}) {
    ASSERT_EQ(Batch(dir, {"resize-gif", "--method", "normal", "--pixels", pixels}).exitCode, 0);
    const Frame got = ReadFrame(dir / "mini-t.gif");
    EXPECT_EQ(got.transparent, 0) << pixels;
    EXPECT_EQ(got.table, Indices().palette()) << pixels;
    const PaletteBitmap expected = StretchPalette(Indices(), width, height);
    ExpectSameIndices(got.indices, expected);
    ExpectPilSeesTransparency(dir / "mini-t.gif", expected);
  }
}

TEST(GifTransparency, ConvertToGifKeepsTheTableAndTheTransparentColour) {
  PIXTREL_SKIP_WITHOUT_PIL();
  TempFolder dir;
  WriteTransparentGif(dir);
  ASSERT_EQ(Batch(dir, {"convert", "--to", "gif"}).exitCode, 0);
  const Frame got = ReadFrame(dir / "t.gif.gif");
  EXPECT_EQ(got.transparent, 0);
  EXPECT_EQ(got.table, Indices().palette());
  ExpectSameIndices(got.indices, Indices());
  ExpectPilSeesTransparency(dir / "t.gif.gif", Indices());
}

// The same picture without transparency, its index 0 in the given colour.
void WriteOpaqueGif(const TempFolder& dir, Rgb first) {
  PaletteBitmap indices = Indices();
  indices.palette()[0] = first;
  TGIFImage picture;
  SetGifRaster(picture, indices);
  WriteGifFile(picture, dir / "t.gif");
}

TEST(GifTransparency, ConvertToAFormatWithoutAlphaDrawsTheTransparentPartsWhite) {
  // What the same picture gives with white in place of the transparent pixels: the same JPEG
  // bytes, the same BMP pixels (a BMP with a colour table there, 24 bits a pixel here).
  TempFolder transparent, white;
  WriteTransparentGif(transparent);
  WriteOpaqueGif(white, Rgb{255, 255, 255});
  for (const char* to : {"bmp", "jpg"}) {
    ASSERT_EQ(Batch(transparent, {"convert", "--to", to}).exitCode, 0) << to;
    ASSERT_EQ(Batch(white, {"convert", "--to", to}).exitCode, 0) << to;
  }
  const Bytes jpeg = FileContents(transparent / "t.gif.jpg");
  EXPECT_FALSE(jpeg.empty());
  EXPECT_EQ(jpeg, FileContents(white / "t.gif.jpg"));
  const Bitmap24 got = ToBitmap24(ReadBmpFile(transparent / "t.gif.bmp"));
  const Bitmap24 expected = ToBitmap24(ReadBmpFile(white / "t.gif.bmp"));
  ASSERT_EQ(got.width(), 6);
  ASSERT_EQ(got.height(), 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x)
      EXPECT_EQ(PixelAt(got, x, y), PixelAt(expected, x, y)) << x << "," << y;
  EXPECT_EQ(PixelAt(got, 0, 0), (Bgr{255, 255, 255}));
  // A PNG keeps the transparency as alpha.
  PIXTREL_SKIP_WITHOUT_PIL();
  ASSERT_EQ(Batch(transparent, {"convert", "--to", "png"}).exitCode, 0);
  ExpectPilSeesTransparency(transparent / "t.gif.png", Indices());
}

TEST(GifTransparency, TheClassicConversionsShowTheTableColourOfTheTransparentIndex) {
  // Byte for byte what the same picture gives without its transparency.
  TempFolder transparent, opaque;
  WriteTransparentGif(transparent);
  WriteOpaqueGif(opaque, kHidden);
  for (const char* command : {"gif2bmp", "gif2jpg"}) {
    ASSERT_EQ(Batch(transparent, {command}).exitCode, 0) << command;
    ASSERT_EQ(Batch(opaque, {command}).exitCode, 0) << command;
    const std::string output = std::string("t.gif.") + (command[4] == 'b' ? "bmp" : "jpg");
    const Bytes got = FileContents(transparent / output);
    EXPECT_FALSE(got.empty()) << command;
    EXPECT_EQ(got, FileContents(opaque / output)) << command;
  }
  const Bitmap24 bmp = ToBitmap24(ReadBmpFile(transparent / "t.gif.bmp"));
  EXPECT_EQ(PixelAt(bmp, 0, 0), (Bgr{kHidden.b, kHidden.g, kHidden.r}));
}

}  // namespace
