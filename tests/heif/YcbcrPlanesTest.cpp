// The YCbCr planes our HEIF writers hand the encoders, against the defining full-range BT.601
// formula computed in floating point: every 8-bit colour, 10-bit colours and 4:2:0 blocks of
// every shape, odd picture sizes, and the identity planes of lossless files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "codecs/heif/YcbcrPlanes.h"

namespace pixtrel {
namespace {

struct Reference {
  double y, cb, cr;
};

// Y = Kr R + (1 - Kr - Kb) G + Kb B, Cb = (B - Y) / (2 (1 - Kb)), Cr = (R - Y) / (2 (1 - Kr)),
// chroma centred on half the range; here for the mean of the colours given.
Reference Bt601(double r, double g, double b, int bits) {
  const double kr = 0.299, kb = 0.114;
  const double y = kr * r + (1 - kr - kb) * g + kb * b;
  const double half = 1 << (bits - 1);
  return {y, (b - y) / (2 * (1 - kb)) + half, (r - y) / (2 * (1 - kr)) + half};
}

// True when `got` is the reference rounded to the nearest and clamped; at an exact half (within
// the floating-point error) either neighbour is the formula's.
bool Rounded(int got, double exact, int bits) {
  const double top = (1 << bits) - 1;
  exact = std::clamp(exact, 0.0, top);
  if (std::abs(exact - std::floor(exact) - 0.5) < 1e-9)
    return got == std::floor(exact) || got == std::ceil(exact);
  return got == std::clamp(std::round(exact), 0.0, top);
}

TEST(YcbcrPlanes, EveryEightBitColourIsTheFormulaRounded) {
  int wrong = 0;
  for (int r = 0; r < 256; ++r) {
    for (int g = 0; g < 256; ++g) {
      for (int b = 0; b < 256; ++b) {
        const Reference want = Bt601(r, g, b, 8);
        wrong += !Rounded(LumaOf(r, g, b), want.y, 8);
        wrong += !Rounded(ChromaBlueOf<8>(r, g, b, 1), want.cb, 8);
        wrong += !Rounded(ChromaRedOf<8>(r, g, b, 1), want.cr, 8);
      }
    }
  }
  EXPECT_EQ(wrong, 0);
  // The corners: black, white, the primaries.
  EXPECT_EQ(LumaOf(255, 255, 255), 255);
  EXPECT_EQ(ChromaBlueOf<8>(0, 0, 255, 1), 255);  // 255.5 clamped
  EXPECT_EQ(ChromaRedOf<8>(255, 0, 0, 1), 255);
  EXPECT_EQ(ChromaBlueOf<8>(0, 0, 0, 1), 128);
  EXPECT_EQ(ChromaRedOf<10>(0, 1023, 1023, 1), 1);  // exactly 0.5, rounded up
}

TEST(YcbcrPlanes, TenBitColoursAndBlockMeansAreTheFormulaRounded) {
  std::mt19937 random(5);
  std::uniform_int_distribution<int> level8(0, 255), level10(0, 1023);
  int wrong = 0;
  for (int i = 0; i < 200000; ++i) {
    const int count = 1 << (i % 3);  // 1, 2 or 4 pixels
    for (const int bits : {8, 10}) {
      int sum[3] = {0, 0, 0};
      for (int p = 0; p < count; ++p)
        for (int& s : sum)
          s += bits == 8 ? level8(random) : level10(random);
      const Reference want =
          Bt601(sum[0] / double(count), sum[1] / double(count), sum[2] / double(count), bits);
      const int cb = bits == 8 ? ChromaBlueOf<8>(sum[0], sum[1], sum[2], count)
                               : ChromaBlueOf<10>(sum[0], sum[1], sum[2], count);
      const int cr = bits == 8 ? ChromaRedOf<8>(sum[0], sum[1], sum[2], count)
                               : ChromaRedOf<10>(sum[0], sum[1], sum[2], count);
      wrong += !Rounded(cb, want.cb, bits) + !Rounded(cr, want.cr, bits);
      if (count == 1) wrong += !Rounded(LumaOf(sum[0], sum[1], sum[2]), want.y, bits);
    }
  }
  EXPECT_EQ(wrong, 0);
}

// A picture of odd size as blue, green, red rows with padding, as a Bitmap24 holds it.
struct Picture {
  int width, height, stride;
  std::vector<std::uint8_t> bytes;
  const std::uint8_t* at(int x, int y) const { return bytes.data() + y * stride + x * 3; }
};
Picture Random(int width, int height, unsigned seed) {
  Picture picture{width, height, width * 3 + 1, {}};
  picture.bytes.resize(static_cast<std::size_t>(picture.stride) * height);
  std::mt19937 random(seed);
  for (auto& byte : picture.bytes)
    byte = static_cast<std::uint8_t>(random());
  return picture;
}
const std::uint8_t* PictureRow(const void* context, int y) {
  const auto* picture = static_cast<const Picture*>(context);
  return picture->bytes.data() + static_cast<std::size_t>(y) * picture->stride;
}
RgbRows<std::uint8_t> Rows(const Picture& picture) {
  RgbRows<std::uint8_t> rows;
  rows.width = picture.width;
  rows.height = picture.height;
  rows.red = 2;
  rows.blue = 0;
  rows.context = &picture;
  rows.row = PictureRow;
  return rows;
}

TEST(YcbcrPlanes, FourTwoZeroPlanesTakeEachBlockMeanUpToTheOddEdges) {
  for (const auto& [width, height] : {std::pair{7, 5}, std::pair{1, 1}, std::pair{2, 3}}) {
    SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
    const Picture picture = Random(width, height, static_cast<unsigned>(width * 31 + height));
    const int halfWidth = (width + 1) / 2, halfHeight = (height + 1) / 2;
    // Planes with padding of their own, filled with a marker that must be overwritten.
    std::vector<std::uint8_t> y(static_cast<std::size_t>(width + 2) * height, 7),
        cb(static_cast<std::size_t>(halfWidth + 3) * halfHeight, 7), cr = cb;
    FillYcbcr420(Rows(picture), {y.data(), width + 2}, {cb.data(), halfWidth + 3},
                 {cr.data(), halfWidth + 3});
    for (int row = 0; row < height; ++row) {
      for (int x = 0; x < width; ++x) {
        const std::uint8_t* p = picture.at(x, row);
        EXPECT_TRUE(Rounded(y[row * (width + 2) + x], Bt601(p[2], p[1], p[0], 8).y, 8));
      }
    }
    for (int by = 0; by < halfHeight; ++by) {
      for (int bx = 0; bx < halfWidth; ++bx) {
        double sum[3] = {0, 0, 0};
        int count = 0;
        for (int dy = 0; dy < 2 && 2 * by + dy < height; ++dy) {
          for (int dx = 0; dx < 2 && 2 * bx + dx < width; ++dx, ++count) {
            const std::uint8_t* p = picture.at(2 * bx + dx, 2 * by + dy);
            sum[0] += p[2];
            sum[1] += p[1];
            sum[2] += p[0];
          }
        }
        const Reference want = Bt601(sum[0] / count, sum[1] / count, sum[2] / count, 8);
        EXPECT_TRUE(Rounded(cb[by * (halfWidth + 3) + bx], want.cb, 8)) << bx << ", " << by;
        EXPECT_TRUE(Rounded(cr[by * (halfWidth + 3) + bx], want.cr, 8)) << bx << ", " << by;
      }
    }
  }
}

TEST(YcbcrPlanes, IdentityPlanesKeepGreenBlueAndRedExactly) {
  const Picture picture = Random(5, 3, 9);
  std::vector<std::uint8_t> g(15), b(15), r(15);
  FillIdentity444(Rows(picture), {g.data(), 5}, {b.data(), 5}, {r.data(), 5});
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x) {
      const std::uint8_t* p = picture.at(x, y);
      EXPECT_EQ(g[y * 5 + x], p[1]);
      EXPECT_EQ(b[y * 5 + x], p[0]);
      EXPECT_EQ(r[y * 5 + x], p[2]);
    }
  }
  // 10-bit samples, red, green and blue in that order, four to a pixel, into 16-bit words.
  const std::vector<std::uint16_t> deep{1023, 0, 512, 77, 1, 2, 3, 999};
  RgbRows<std::uint16_t> rows;
  rows.width = 2;
  rows.height = 1;
  rows.step = 4;
  rows.context = &deep;
  rows.row = [](const void* context, int) {
    return static_cast<const std::vector<std::uint16_t>*>(context)->data();
  };
  std::uint16_t planes[3][2] = {};
  auto view = [](std::uint16_t* plane) {
    return PlaneView{reinterpret_cast<std::uint8_t*>(plane), 4};
  };
  FillIdentity444(rows, view(planes[0]), view(planes[1]), view(planes[2]));
  EXPECT_EQ(planes[0][0], 0);
  EXPECT_EQ(planes[1][0], 512);
  EXPECT_EQ(planes[2][0], 1023);
  EXPECT_EQ(planes[0][1], 2);
  EXPECT_EQ(planes[1][1], 3);
  EXPECT_EQ(planes[2][1], 1);
}

}  // namespace
}  // namespace pixtrel
