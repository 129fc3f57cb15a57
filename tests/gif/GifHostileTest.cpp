// The reader and the drawing on damaged and hostile files: truncation at every byte, corrupt
// codes, frames outside the screen, indices beyond the table, and sizes meant to exhaust memory.
#include <gtest/gtest.h>

#include <chrono>
#include <random>

#include "codecs/gif/GifCodec.h"
#include "core/Errors.h"
#include "tests/gif/GifBuilder.h"
#include "tests/support/TestSupport.h"

using namespace pixtrel;
using namespace pixtrel::test;

namespace {

std::string ErrorOf(const std::vector<std::uint8_t>& bytes) {
  try {
    DecodeGif(bytes);
  } catch (const Exception& e) {
    return e.what();
  }
  return "";
}

std::vector<std::uint8_t> Ramp(int count, int modulo) {
  std::vector<std::uint8_t> p(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i)
    p[i] = static_cast<std::uint8_t>(i * 5 % modulo);
  return p;
}

TEST(GifHostile, TruncationAtEveryByte) {
  const std::vector<std::uint8_t> pixels = Ramp(8 * 6, 3);  // indices 0-2; 3 is transparent
  GifBuilder b;
  b.screen(8, 6, 2);
  const std::size_t screenEnd = b.bytes.size();
  b.graphicControl(1, 3).extension(0xFE, "a comment").extension(0xFF, "NETSCAPE2.0\x01\x00\x00");
  const std::size_t imageStart = b.bytes.size();
  b.image(0, 0, 8, 6, 2, pixels);
  const std::size_t imageEnd = b.bytes.size();
  b.trailer();

  for (std::size_t cut = 0; cut < b.bytes.size(); ++cut) {
    SCOPED_TRACE(cut);
    const std::vector<std::uint8_t> head(b.bytes.begin(), b.bytes.begin() + static_cast<long>(cut));
    if (cut < screenEnd || (cut > imageStart && cut < imageStart + 10 + 12)) {
      EXPECT_EQ(ErrorOf(head), "Premature end of data");
      continue;
    }
    const TGIFImage picture = DecodeGif(head);
    if (cut <= imageStart) {
      EXPECT_TRUE(picture.images.empty());
      continue;
    }
    ASSERT_EQ(picture.images.size(), 1u);
    const auto& got = picture.images[0].pixels;
    ASSERT_EQ(got.size(), pixels.size());
    // What was decoded matches; the rest keeps the transparent index.
    std::size_t decoded = 0;
    while (decoded < got.size() && got[decoded] == pixels[decoded])
      ++decoded;
    EXPECT_TRUE(std::all_of(got.begin() + static_cast<long>(decoded), got.end(),
                            [](std::uint8_t v) { return v == 3; }));
    if (cut >= imageEnd - 1) {
      EXPECT_EQ(got, pixels);
    }
  }
}

TEST(GifHostile, SignaturesAndExtensionTypes) {
  EXPECT_EQ(ErrorOf({}), "Premature end of data");
  EXPECT_EQ(ErrorOf({'G', 'I'}), "Premature end of data");
  const std::string png = "\x89PNG\r\n\x1a\n0000000000000000";
  EXPECT_EQ(ErrorOf(std::vector<std::uint8_t>(png.begin(), png.end())), "Invalid GIF signature");

  GifBuilder unknown;
  unknown.screen(2, 2, 1).raw({'!', 0x77, 1, 0, 0}).image(0, 0, 2, 2, 0, {0, 1, 1, 0}).trailer();
  EXPECT_EQ(ErrorOf(unknown.bytes), "Unknown extension type");

  // Zero bytes between blocks are skipped; an unknown block ends the frames quietly; so does
  // a missing trailer.
  GifBuilder lenient;
  lenient.screen(2, 2, 1).raw({0, 0}).image(0, 0, 2, 2, 0, {0, 1, 1, 0}).raw({0, 'X'});
  lenient.image(0, 0, 2, 2, 0, {1, 1, 1, 1});
  const TGIFImage picture = DecodeGif(lenient.bytes);
  ASSERT_EQ(picture.images.size(), 1u);
  EXPECT_EQ(picture.images[0].pixels, (std::vector<std::uint8_t>{0, 1, 1, 0}));
}

TEST(GifHostile, CorruptCodeStreams) {
  // Code size 2: clear 4, end 5; right after the clear, code 6 refers to itself.
  GifBuilder circular;
  circular.screen(4, 1, 1).raw({','}).u16(0);
  circular.u16(0);
  circular.u16(4);
  circular.u16(1);
  circular.u8(0);
  circular.data(2, {static_cast<std::uint8_t>(4 | (6 << 3)), 0});
  EXPECT_EQ(ErrorOf(circular.bytes), "Circular decoder table entry");

  GifBuilder badSize;
  badSize.screen(4, 1, 1).raw({',', 0, 0, 0, 0, 4, 0, 1, 0, 0}).data(13, {0xFF, 0xFF});
  EXPECT_EQ(ErrorOf(badSize.bytes), "Invalid LZW code size");

  // A code beyond the table ends the frame's data; the rest stays at index 0.
  GifBuilder beyond;
  beyond.screen(4, 1, 1).raw({',', 0, 0, 0, 0, 4, 0, 1, 0, 0});
  beyond.data(2, {static_cast<std::uint8_t>(4 | (1 << 3) | (7 << 6)), 1}).trailer();
  const TGIFImage picture = DecodeGif(beyond.bytes);
  ASSERT_EQ(picture.images.size(), 1u);
  EXPECT_EQ(picture.images[0].pixels, (std::vector<std::uint8_t>{1, 0, 0, 0}));
}

TEST(GifHostile, AGraphicControlCutShortIsNotTransparent) {
  GifBuilder b;
  b.screen(2, 1, 1).raw({'!', 0xF9, 2, 1, 0, 0}).image(0, 0, 2, 1, 0, {1, 0}).trailer();
  const TGIFImage picture = DecodeGif(b.bytes);
  ASSERT_EQ(picture.images.size(), 1u);
  EXPECT_FALSE(picture.images[0].transparent());
  EXPECT_NE(picture.images[0].graphicControl(), nullptr);
}

TEST(GifHostile, AZeroSizeFrameTakesTheScreensSize) {
  GifBuilder b;
  b.screen(3, 2, 1).image(0, 0, 0, 5, 0, {1, 0, 1, 0, 1, 0}).trailer();
  const TGIFImage picture = DecodeGif(b.bytes);
  ASSERT_EQ(picture.images.size(), 1u);
  EXPECT_EQ(picture.images[0].width, 3);
  EXPECT_EQ(picture.images[0].height, 2);
  EXPECT_EQ(picture.images[0].pixels, (std::vector<std::uint8_t>{1, 0, 1, 0, 1, 0}));
}

TEST(GifHostile, FramesOutsideTheScreenAreClipped) {
  // Screen 4 x 4; a 4 x 4 frame at 2, 1 sticks out right and below.
  GifBuilder b;
  b.screen(4, 4, 2).image(2, 1, 4, 4, 0, Ramp(16, 4)).trailer();
  const TGIFImage picture = DecodeGif(b.bytes);
  const Raster raster = GifFrameRaster(picture);
  ASSERT_TRUE(std::holds_alternative<Bitmap24>(raster)) << "an offset frame does not cover";
  const Bitmap24& r = std::get<Bitmap24>(raster);
  ASSERT_EQ(r.width(), 4);
  ASSERT_EQ(r.height(), 4);
  const std::vector<std::uint8_t> ramp = Ramp(16, 4);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) {
      const bool inside = x >= 2 && y >= 1;
      const int v = inside ? ramp[(y - 1) * 4 + (x - 2)] * 16 : 255;
      const auto c = static_cast<std::uint8_t>(v);
      EXPECT_EQ(PixelAt(r, x, y), (Bgr{c, c, c})) << x << "," << y;
    }
  }
  // Drawn twice as large: the visible 2 x 3 part lands at 4, 2 to 8, 8.
  Bitmap24 big(8, 8);
  DrawGifFrame(picture, big, Rect{0, 0, 8, 8});
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      const bool inside = x >= 4 && y >= 2;
      const int v = inside ? ramp[(y / 2 - 1) * 4 + (x / 2 - 2)] * 16 : 255;
      const auto c = static_cast<std::uint8_t>(v);
      EXPECT_EQ(PixelAt(big, x, y), (Bgr{c, c, c})) << x << "," << y;
    }
  }

  // Entirely outside, at the far end of the 16-bit range: nothing is drawn.
  GifBuilder far;
  far.screen(4, 4, 2).image(65535, 65535, 2, 2, 0, {1, 1, 1, 1}).trailer();
  const TGIFImage farPicture = DecodeGif(far.bytes);
  Bitmap24 target(4, 4);
  DrawGifFrame(farPicture, target, Rect{0, 0, 4, 4});
  EXPECT_TRUE(SamePixels(target, Bitmap24(4, 4)));
  EXPECT_TRUE(SamePixels(ToBitmap24(GifFrameRaster(farPicture)), Bitmap24(4, 4)));
}

TEST(GifHostile, IndicesBeyondTheTableAreBlackAndNoTableIsAnError) {
  GifBuilder b;
  b.screen(2, 2, 1).image(0, 0, 2, 2, 0, {0, 1, 2, 3}, 2).trailer();  // table of 2 colours
  const TGIFImage picture = DecodeGif(b.bytes);
  const Bitmap24 raster = ToBitmap24(GifFrameRaster(picture));
  EXPECT_EQ(PixelAt(raster, 1, 0), (Bgr{16, 16, 16}));
  EXPECT_EQ(PixelAt(raster, 0, 1), (Bgr{0, 0, 0}));
  EXPECT_EQ(PixelAt(raster, 1, 1), (Bgr{0, 0, 0}));
  Bitmap24 drawn(2, 2);
  DrawGifFrame(picture, drawn, Rect{0, 0, 2, 2});
  EXPECT_TRUE(SamePixels(drawn, raster));

  GifBuilder none;
  none.screen(2, 2, 0).image(0, 0, 2, 2, 0, {0, 1, 1, 0}).trailer();
  const TGIFImage bare = DecodeGif(none.bytes);  // reading lives with it
  ASSERT_EQ(bare.images.size(), 1u);
  try {
    GifFrameRaster(bare);
    ADD_FAILURE() << "rendered without a table";
  } catch (const EGIFError& e) {
    EXPECT_STREQ(e.what(), "No global or local color table defined");
  }
  Bitmap24 target(2, 2);
  EXPECT_THROW(DrawGifFrame(bare, target, Rect{0, 0, 2, 2}), EGIFError);
}

TEST(GifHostile, SizesBeyondTheLimitsFailBeforeAllocating) {
  GifBuilder screen;
  screen.screen(65535, 65535, 1).trailer();
  EXPECT_NE(ErrorOf(screen.bytes).find("too large"), std::string::npos);

  GifBuilder frame;
  frame.screen(10, 10, 1).raw({',', 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0}).data(2, {});
  EXPECT_NE(ErrorOf(frame.bytes).find("too large"), std::string::npos);

  GifBuilder area;
  area.screen(10, 10, 1).raw({',', 0, 0, 0, 0}).u16(40000);
  area.u16(40000);
  area.u8(0);
  area.data(2, {});
  EXPECT_NE(ErrorOf(area.bytes).find("too large"), std::string::npos);
}

TEST(GifHostile, ManyOrHugeFramesAreBounded) {
  // 5000 one-pixel frames: at most 4096 are kept.
  GifBuilder many;
  many.screen(1, 1, 1);
  for (int i = 0; i < 5000; ++i)
    many.image(0, 0, 1, 1, 0, {1});
  many.trailer();
  EXPECT_EQ(DecodeGif(many.bytes).images.size(), static_cast<std::size_t>(kMaxGifFrames));

  // Frames of 12000 x 12000 pixels with no data, a few bytes each: refused before anything is
  // allocated, as no data of that size could describe them.
  GifBuilder huge;
  huge.screen(12000, 12000, 1);
  for (int i = 0; i < 50; ++i) {
    huge.raw({',', 0, 0, 0, 0}).u16(12000);
    huge.u16(12000);
    huge.u8(0);
    huge.data(2, {});
  }
  huge.trailer();
  const long before = PeakMemoryKiB();
  try {
    DecodeGif(huge.bytes);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Picture too large for its data: 12000 x 12000", 0), 0u)
        << e.what();
  }
  EXPECT_LT(PeakMemoryKiB() - before, 64L << 10);  // no 144-million-pixel frame was filled
}

TEST(GifHostile, RandomDamageNeverCrashes) {
  GifBuilder b;
  b.screen(16, 12, 3).graphicControl(1, 2).extension(0xFE, "comment");
  b.image(1, 1, 14, 10, 4, Ramp(140, 16), 0, true)
      .image(0, 0, 16, 12, 0, Ramp(192, 8), 3)
      .trailer();
  std::mt19937 random(17);
  int decoded = 0;
  for (int round = 0; round < 3000; ++round) {
    std::vector<std::uint8_t> bytes = b.bytes;
    const int changes = 1 + static_cast<int>(random() % 6);
    for (int c = 0; c < changes; ++c) {
      const std::size_t at = random() % bytes.size();
      switch (random() % 3) {
        case 0:
          bytes[at] = static_cast<std::uint8_t>(random());
          break;
        case 1:
          bytes.erase(bytes.begin() + static_cast<long>(at));
          break;
        default:
          bytes.resize(at);
          break;
      }
      if (bytes.empty()) break;
    }
    try {
      const TGIFImage picture = DecodeGif(bytes);
      Bitmap24 target(9, 7);
      DrawGifFrame(picture, target, Rect{-1, 2, 8, 20});
      (void)GifFrameRaster(picture);
      ++decoded;
    } catch (const Exception&) {
    }
  }
  EXPECT_GT(decoded, 100);
}

}  // namespace
