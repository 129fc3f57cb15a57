// The GIF codec's own palette: exact colours when they fit, a median cut refined by k-means when
// they do not, the nearest-colour search against a plain search, dithering, and transparency.
#include <gtest/gtest.h>

#include <random>

#include "codecs/gif/GifColourMapping.h"
#include "codecs/gif/GifPaletteBuilder.h"
#include "codecs/gif/GifQuantizer.h"
#include "tests/support/TestSupport.h"

namespace pixtrel::test {
namespace {

Bitmap24 RandomColours(int width, int height, unsigned seed, int levels = 256) {
  Bitmap24 picture(width, height);
  std::mt19937 random(seed);
  for (int y = 0; y < height; ++y) {
    for (int i = 0; i < width * 3; ++i)
      picture.row(y)[i] = static_cast<std::uint8_t>(random() % levels * (255 / (levels - 1)));
  }
  return picture;
}

TEST(GifPalette, FewColoursAreKeptExactlyInOrder) {
  // 3 levels per channel: 27 colours.
  const Bitmap24 picture = RandomColours(40, 30, 1, 3);
  const std::vector<Rgb> palette = BuildPalette(picture, nullptr, 256);
  ASSERT_EQ(palette.size(), 27u);
  EXPECT_TRUE(std::is_sorted(palette.begin(), palette.end(), [](const Rgb& a, const Rgb& b) {
    return std::tie(a.r, a.g, a.b) < std::tie(b.r, b.g, b.b);
  }));
  const QuantizedPicture quantized = QuantizeForGif(picture, nullptr, false);
  EXPECT_EQ(quantized.transparentIndex, -1);
  EXPECT_TRUE(SamePixels(ExpandToBitmap24(quantized.indices), picture));
}

TEST(GifPalette, MaskedPixelsDoNotCount) {
  Bitmap24 picture(4, 1);
  const std::uint8_t colours[] = {10, 20, 30, 1, 2, 3, 10, 20, 30, 200, 100, 0};
  std::copy(std::begin(colours), std::end(colours), picture.row(0));
  const std::vector<std::uint8_t> mask = {1, 0, 1, 1};
  const std::vector<Rgb> palette = BuildPalette(picture, &mask, 256);
  EXPECT_EQ(palette, (std::vector<Rgb>{Rgb{0, 100, 200}, Rgb{30, 20, 10}}));
}

TEST(GifPalette, ManyColoursGetAtMostTheLimitDeterministically) {
  const Bitmap24 picture = TestPattern(300, 200, 9);
  const std::vector<Rgb> a = BuildPalette(picture, nullptr, 256);
  const std::vector<Rgb> b = BuildPalette(picture, nullptr, 256);
  EXPECT_EQ(a.size(), 256u);
  EXPECT_EQ(a, b);
  EXPECT_LE(BuildPalette(picture, nullptr, 17).size(), 17u);
  EXPECT_EQ(BuildPalette(picture, nullptr, 1).size(), 1u);
}

TEST(GifPalette, TheNearestColourIsTheOneAPlainSearchFinds) {
  std::mt19937 random(5);
  for (const int size : {1, 2, 16, 255, 256}) {
    std::vector<Rgb> table;
    for (int i = 0; i < size; ++i) {
      // Some entries repeated, so ties must go to the lower index.
      table.push_back(i % 7 == 6 ? table[static_cast<std::size_t>(i) / 2]
                                 : Rgb{static_cast<std::uint8_t>(random()),
                                       static_cast<std::uint8_t>(random()),
                                       static_cast<std::uint8_t>(random())});
    }
    NearestColour nearest(table);
    for (int n = 0; n < 20000; ++n) {
      const int r = static_cast<int>(random() % 256), g = static_cast<int>(random() % 256),
                b = static_cast<int>(random() % 256);
      int best = 0, bestDistance = 1 << 30;
      for (int i = 0; i < size; ++i) {
        const int d = (table[i].r - r) * (table[i].r - r) + (table[i].g - g) * (table[i].g - g) +
                      (table[i].b - b) * (table[i].b - b);
        if (d < bestDistance) bestDistance = d, best = i;
      }
      ASSERT_EQ(nearest(r, g, b), best) << size << ": " << r << " " << g << " " << b;
    }
  }
}

TEST(GifPalette, DitheringMixesEntriesToTheColourBetweenThem) {
  // A flat grey of 100 over a table of black and white: dithered, about 100 / 255 of the pixels
  // are white; undithered, all are black.
  const Bitmap24 grey(64, 64, 100);
  const std::vector<Rgb> table = {Rgb{0, 0, 0}, Rgb{255, 255, 255}};
  std::vector<std::uint8_t> plain(64 * 64), dithered(64 * 64);
  MapToTable(grey, nullptr, table, -1, false, plain.data());
  MapToTable(grey, nullptr, table, -1, true, dithered.data());
  EXPECT_EQ(std::count(plain.begin(), plain.end(), 1), 0);
  const double mean = 255.0 * static_cast<double>(std::count(dithered.begin(), dithered.end(), 1)) /
                      static_cast<double>(dithered.size());
  EXPECT_NEAR(mean, 100.0, 1.0);
}

TEST(GifPalette, TransparentPixelsGetTheLastEntryAndPartlyTransparentOnesAWhiteMatte) {
  Bitmap24 picture(3, 1, 0);  // black
  const std::vector<std::uint8_t> alpha = {0, 127, 128};
  for (const bool dither : {false, true}) {
    const QuantizedPicture quantized = QuantizeForGif(picture, &alpha, dither);
    const std::vector<Rgb>& table = quantized.indices.palette();
    ASSERT_EQ(quantized.transparentIndex, static_cast<int>(table.size()) - 1);
    const std::uint8_t* indices = quantized.indices.data();
    EXPECT_EQ(indices[0], quantized.transparentIndex);
    EXPECT_EQ(indices[1], quantized.transparentIndex);
    ASSERT_NE(indices[2], quantized.transparentIndex);
    // Black at 128 / 255 over white: 127.
    EXPECT_EQ(table[indices[2]], (Rgb{127, 127, 127}));
  }
  // An opaque alpha plane adds no entry.
  const std::vector<std::uint8_t> opaque(3, 255);
  EXPECT_EQ(QuantizeForGif(picture, &opaque, false).transparentIndex, -1);
}

}  // namespace
}  // namespace pixtrel::test
