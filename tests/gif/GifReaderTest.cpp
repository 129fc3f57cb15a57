// The GIF reader on files made by independent encoders (PIL, gifsicle, ImageMagick): interlaced,
// transparent, animated, offset frames, global-table-only and length-prefixed files.
#include <gtest/gtest.h>

#include "codecs/gif/GifCodec.h"
#include "core/Errors.h"
#include "tests/gif/GifTestTools.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;
using namespace pixtrel;
using namespace pixtrel::test;

namespace {

constexpr int kW = 37, kH = 29;

// The pattern and palette the generator uses; every palette colour is distinct, so colours
// identify indices even where an encoder reorders its table.
int PatternIndex(int x, int y, int frame = 0) {
  return (x * 3 + y * 5 + frame * 40) % 256;
}
Rgb PaletteColour(int i) {
  return Rgb{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
             static_cast<std::uint8_t>(i * 7 % 256)};
}

const char* kGenerator = R"(
import os
out = sys.argv[1]
W, H = 37, 29
pal = []
for i in range(256):
    pal += [i, 255 - i, i * 7 % 256]
def frame(n):
    im = Image.new('P', (W, H))
    im.putpalette(pal)
    im.putdata([(x * 3 + y * 5 + n * 40) % 256 for y in range(H) for x in range(W)])
    return im
frame(0).save(os.path.join(out, 'plain.gif'), interlace=0)
frame(0).save(os.path.join(out, 'interlaced.gif'), interlace=1)
frame(0).save(os.path.join(out, 'transparent.gif'), transparency=20)
frame(0).save(os.path.join(out, 'anim.gif'), save_all=True,
              append_images=[frame(1), frame(2)], loop=0, duration=100)
small = Image.new('P', (10, 8))
small.putpalette(pal)
small.putdata([(x * 3 + y * 5) % 256 for y in range(8) for x in range(10)])
small.save(os.path.join(out, 'small.gif'))
)";

class GifFromOtherTools : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new TempFolder;
    made_ = MakeWithPython(kGenerator, folder_->path(), &message_);
  }
  static void TearDownTestSuite() {
    delete folder_;
    folder_ = nullptr;
  }
  void SetUp() override {
    PIXTREL_SKIP_WITHOUT_PIL();
    ASSERT_TRUE(made_) << "PIL could not make the test files: " << message_;
  }
  static fs::path File(const std::string& name) { return folder_->path() / name; }

  // The frame's pixels as colours through its active table, compared with the pattern.
  static void ExpectPattern(const TGIFImage& picture, const TGIFSubImage& frame, int n = 0) {
    const TGIFColorMap& table = picture.ActiveColorMap(frame);
    ASSERT_EQ(frame.pixels.size(), static_cast<std::size_t>(frame.width) * frame.height);
    int wrong = 0;
    for (int y = 0; y < frame.height; ++y) {
      for (int x = 0; x < frame.width; ++x) {
        const int index = frame.pixels[y * frame.width + x];
        wrong += index >= table.count() ||
                 !(table.colors[index] == PaletteColour(PatternIndex(x, y, n)));
      }
    }
    EXPECT_EQ(wrong, 0);
  }

  static TempFolder* folder_;
  static bool made_;
  static std::string message_;
};
TempFolder* GifFromOtherTools::folder_ = nullptr;
bool GifFromOtherTools::made_ = false;
std::string GifFromOtherTools::message_;

TEST_F(GifFromOtherTools, PlainAndInterlacedFilesGiveTheSamePixels) {
  const TGIFImage plain = ReadGifFile(File("plain.gif"));
  const TGIFImage interlaced = ReadGifFile(File("interlaced.gif"));
  ASSERT_EQ(plain.images.size(), 1u);
  ASSERT_EQ(interlaced.images.size(), 1u);
  EXPECT_FALSE(plain.images[0].interlaced());
  EXPECT_TRUE(interlaced.images[0].interlaced()) << "the generator did not interlace";
  EXPECT_EQ(plain.width(), kW);
  EXPECT_EQ(plain.height(), kH);
  ExpectPattern(plain, plain.images[0]);
  ExpectPattern(interlaced, interlaced.images[0]);
}

TEST_F(GifFromOtherTools, AGlobalTableOnlyFileUsesTheGlobalTable) {
  const TGIFImage picture = ReadGifFile(File("plain.gif"));
  ASSERT_FALSE(picture.header.colorMap.empty());
  ASSERT_TRUE(picture.images[0].colorMap.empty()) << "the generator wrote a local table";
  const Raster raster = GifFrameRaster(picture);
  ASSERT_TRUE(std::holds_alternative<PaletteBitmap>(raster));
  const auto& p = std::get<PaletteBitmap>(raster);
  EXPECT_EQ(p.bitsPerPixel(), 8);
  EXPECT_EQ(p.palette(), picture.header.colorMap.colors);
  EXPECT_TRUE(
      std::equal(picture.images[0].pixels.begin(), picture.images[0].pixels.end(), p.data()));
}

TEST_F(GifFromOtherTools, ATransparentFileMarksItsIndex) {
  const TGIFImage picture = ReadGifFile(File("transparent.gif"));
  ASSERT_EQ(picture.images.size(), 1u);
  const TGIFSubImage& frame = picture.images[0];
  ASSERT_TRUE(frame.transparent());
  const int t = frame.transparentIndex();
  EXPECT_EQ(picture.ActiveColorMap(frame).colors.at(t), PaletteColour(20));
  ExpectPattern(picture, frame);

  // Drawn at its own size, transparent pixels stay white; as a raster they keep their colour.
  Bitmap24 drawn(kW, kH);
  DrawGifFrame(picture, drawn, Rect{0, 0, kW, kH});
  const Bitmap24 raster = ToBitmap24(GifFrameRaster(picture));
  int transparentSeen = 0;
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) {
      const Rgb c = PaletteColour(PatternIndex(x, y));
      const Bgr expected{c.b, c.g, c.r};
      EXPECT_EQ(PixelAt(raster, x, y), expected);
      if (PatternIndex(x, y) == 20) {
        ++transparentSeen;
        EXPECT_EQ(PixelAt(drawn, x, y), (Bgr{255, 255, 255}));
      } else {
        EXPECT_EQ(PixelAt(drawn, x, y), expected);
      }
    }
  }
  EXPECT_GT(transparentSeen, 0);
}

TEST_F(GifFromOtherTools, AnAnimatedFileKeepsEveryFrameAndUsesTheFirst) {
  const TGIFImage picture = ReadGifFile(File("anim.gif"));
  ASSERT_EQ(picture.images.size(), 3u);
  ExpectPattern(picture, picture.images[0], 0);
  bool loop = false;
  for (const TGIFExtension& e : picture.images[0].extensions)
    loop = loop || std::holds_alternative<TGIFAppExtNSLoop>(e);
  EXPECT_TRUE(loop);

  const Bitmap24 raster = ToBitmap24(GifFrameRaster(picture));
  Bitmap24 drawn(kW, kH);
  DrawGifFrame(picture, drawn, Rect{0, 0, kW, kH});
  EXPECT_TRUE(SamePixels(raster, drawn));
  const Rgb c = PaletteColour(PatternIndex(3, 4, 0));
  EXPECT_EQ(PixelAt(raster, 3, 4), (Bgr{c.b, c.g, c.r}));
}

TEST_F(GifFromOtherTools, AFrameSmallerThanTheScreenSitsOnWhite) {
  PIXTREL_SKIP_WITHOUT_PROGRAM("gifsicle");
  const RunResult r = RunProgram({"gifsicle", "--logical-screen", "40x30", "--position", "5,7",
                                  File("small.gif").string(), "-o", File("offset.gif").string()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const TGIFImage picture = ReadGifFile(File("offset.gif"));
  ASSERT_EQ(picture.images.size(), 1u);
  EXPECT_EQ(picture.width(), 40);
  EXPECT_EQ(picture.height(), 30);
  EXPECT_EQ(picture.images[0].left, 5);
  EXPECT_EQ(picture.images[0].top, 7);

  const Raster raster = GifFrameRaster(picture);
  ASSERT_TRUE(std::holds_alternative<Bitmap24>(raster));
  const Bitmap24& b = std::get<Bitmap24>(raster);
  ASSERT_EQ(b.width(), 40);
  ASSERT_EQ(b.height(), 30);
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 40; ++x) {
      const bool inside = x >= 5 && x < 15 && y >= 7 && y < 15;
      const Rgb c = inside ? PaletteColour(PatternIndex(x - 5, y - 7)) : Rgb{255, 255, 255};
      ASSERT_EQ(PixelAt(b, x, y), (Bgr{c.b, c.g, c.r})) << x << "," << y;
    }
  }

  // Drawn at half size: the frame lands at its scaled offset, 5 / 2 and 7 / 2 rounded half away
  // from zero, and ends at 15 / 2 and 15 / 2 likewise.
  Bitmap24 half(20, 15);
  DrawGifFrame(picture, half, Rect{0, 0, 20, 15});
  for (int y = 0; y < 15; ++y) {
    for (int x = 0; x < 20; ++x) {
      const bool inside = x >= 3 && x < 8 && y >= 4 && y < 8;
      EXPECT_EQ(PixelAt(half, x, y) == (Bgr{255, 255, 255}), !inside) << x << "," << y;
    }
  }
}

TEST_F(GifFromOtherTools, ALengthPrefixedFileReadsLikeThePlainOne) {
  Bytes bytes = FileContents(File("plain.gif"));
  const std::uint32_t n = static_cast<std::uint32_t>(bytes.size());
  bytes.insert(bytes.begin(),
               {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
                static_cast<std::uint8_t>(n >> 16), static_cast<std::uint8_t>(n >> 24)});
  const TGIFImage picture = DecodeGif(bytes);
  ASSERT_EQ(picture.images.size(), 1u);
  ExpectPattern(picture, picture.images[0]);
  // Lower-case signatures are accepted too.
  Bytes lower = FileContents(File("plain.gif"));
  lower[0] = 'g';
  lower[2] = 'f';
  EXPECT_EQ(DecodeGif(lower).images.size(), 1u);
}

TEST_F(GifFromOtherTools, AnImageMagickFileMatchesImageMagicksOwnDecoding) {
  PIXTREL_SKIP_WITHOUT_PROGRAM("convert");
  const fs::path gif = File("im.gif"), rgb = File("im.rgb");
  RunResult r = RunProgram({"convert", "-size", "120x90", "plasma:fractal", "-seed", "3", "-colors",
                            "200", "-interlace", "GIF", gif.string()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  r = RunProgram({"convert", gif.string(), "-depth", "8", ("rgb:" + rgb.string())});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const Bytes expected = FileContents(rgb);
  const Bitmap24 ours = ToBitmap24(GifFrameRaster(ReadGifFile(gif)));
  ASSERT_EQ(expected.size(), static_cast<std::size_t>(ours.width()) * ours.height() * 3);
  int wrong = 0;
  for (int y = 0; y < ours.height(); ++y) {
    for (int x = 0; x < ours.width(); ++x) {
      const std::size_t i = (static_cast<std::size_t>(y) * ours.width() + x) * 3;
      wrong += PixelAt(ours, x, y) != (Bgr{expected[i + 2], expected[i + 1], expected[i]});
    }
  }
  EXPECT_EQ(wrong, 0);
}

}  // namespace
