// The LZW coder on its own: round trips at every code size, the table-full restarts, and the
// decoder's behaviour on corrupt and hostile code streams.
#include <gtest/gtest.h>

#include <random>

#include "codecs/gif/GifLzwDecoder.h"
#include "codecs/gif/GifLzwEncoder.h"
#include "core/Errors.h"

using namespace pixtrel;

namespace {

std::vector<std::uint8_t> Decoded(const std::vector<std::uint8_t>& codes, int minCodeSize,
                                  std::size_t size, std::size_t* written = nullptr) {
  std::vector<std::uint8_t> out(size, 0xEE);
  const std::size_t n = DecodeGifLzw(codes, minCodeSize, out.data(), out.size());
  if (written) *written = n;
  return out;
}

// Packs codes of the given widths least significant bit first, as a GIF stream holds them.
std::vector<std::uint8_t> Pack(const std::vector<std::pair<int, int>>& codes) {
  std::vector<std::uint8_t> out;
  std::uint64_t bits = 0;
  int count = 0;
  for (auto [code, width] : codes) {
    bits |= static_cast<std::uint64_t>(code) << count;
    count += width;
    while (count >= 8) {
      out.push_back(static_cast<std::uint8_t>(bits));
      bits >>= 8;
      count -= 8;
    }
  }
  if (count) out.push_back(static_cast<std::uint8_t>(bits));
  return out;
}

TEST(GifLzw, RoundTripsAtEveryCodeSize) {
  std::mt19937 random(5);
  for (int size = 2; size <= 8; ++size) {
    SCOPED_TRACE(size);
    // Runs and noise, so both long strings and table-full restarts occur.
    std::vector<std::uint8_t> pixels(200000);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
      pixels[i] = static_cast<std::uint8_t>((i / 700) % 3 == 0 ? (i / 50) % (1 << size)
                                                               : random() % (1 << size));
    }
    const auto codes = EncodeGifLzw(pixels, size);
    std::size_t written = 0;
    EXPECT_EQ(Decoded(codes, size, pixels.size(), &written), pixels);
    EXPECT_EQ(written, pixels.size());
  }
}

TEST(GifLzw, StartsWithClearAndEndsWithEndCode) {
  // Two pixels at code size 2: clear(4), 0, 1, end(5), all 3 bits wide.
  EXPECT_EQ(EncodeGifLzw(std::vector<std::uint8_t>{0, 1}, 2),
            Pack({{4, 3}, {0, 3}, {1, 3}, {5, 3}}));
  EXPECT_EQ(EncodeGifLzw({}, 2), Pack({{4, 3}, {5, 3}}));
}

TEST(GifLzw, AnIndexBeyondTheCodeSizeIsRefused) {
  EXPECT_THROW(EncodeGifLzw(std::vector<std::uint8_t>{0, 4}, 2), EGIFError);
  EXPECT_THROW(EncodeGifLzw(std::vector<std::uint8_t>{1}, 9), EGIFError);
}

TEST(GifLzw, OutputIsCappedAndExtraDataIgnored) {
  const std::vector<std::uint8_t> pixels(5000, 3);
  const auto codes = EncodeGifLzw(pixels, 2);
  std::size_t written = 0;
  const auto out = Decoded(codes, 2, 1234, &written);
  EXPECT_EQ(written, 1234u);
  EXPECT_EQ(out, std::vector<std::uint8_t>(1234, 3));
}

TEST(GifLzw, ACutStreamKeepsWhatWasDecoded) {
  std::vector<std::uint8_t> pixels(3000);
  for (std::size_t i = 0; i < pixels.size(); ++i)
    pixels[i] = static_cast<std::uint8_t>(i * 7 % 256);
  const auto codes = EncodeGifLzw(pixels, 8);
  for (std::size_t cut = 0; cut < codes.size(); cut += 37) {
    const std::vector<std::uint8_t> head(codes.begin(), codes.begin() + static_cast<long>(cut));
    std::size_t written = 0;
    const auto out = Decoded(head, 8, pixels.size(), &written);
    ASSERT_LE(written, pixels.size());
    EXPECT_TRUE(std::equal(out.begin(), out.begin() + static_cast<long>(written), pixels.begin()));
    EXPECT_TRUE(std::all_of(out.begin() + static_cast<long>(written), out.end(),
                            [](std::uint8_t v) { return v == 0xEE; }));
  }
}

TEST(GifLzw, ASelfReferenceAfterAClearIsCircular) {
  // Code size 2: clear 4, end 5, first free 6. Right after a clear, code 6 names itself.
  EXPECT_THROW(
      {
        try {
          Decoded(Pack({{4, 3}, {6, 3}}), 2, 10);
        } catch (const EGIFError& e) {
          EXPECT_STREQ(e.what(), "Circular decoder table entry");
          throw;
        }
      },
      EGIFError);
  // The same at the very start, without a clear code.
  EXPECT_THROW(Decoded(Pack({{6, 3}}), 2, 10), EGIFError);
}

TEST(GifLzw, TheFreeCodeAfterAStringIsTheStringPlusItsFirstIndex) {
  // 1, then 6 = "1 1", then 7 = "1 1 1".
  std::size_t written = 0;
  const auto out = Decoded(Pack({{4, 3}, {1, 3}, {6, 3}, {7, 3}, {5, 3}}), 2, 6, &written);
  EXPECT_EQ(written, 6u);
  EXPECT_EQ(out, (std::vector<std::uint8_t>{1, 1, 1, 1, 1, 1}));
}

TEST(GifLzw, ACodeBeyondTheTableEndsTheStream) {
  // After "2", the next free code is 6; code 7 is not defined: decoding stops there.
  std::size_t written = 0;
  const auto out = Decoded(Pack({{4, 3}, {2, 3}, {7, 3}, {1, 3}}), 2, 4, &written);
  EXPECT_EQ(written, 1u);
  EXPECT_EQ(out, (std::vector<std::uint8_t>{2, 0xEE, 0xEE, 0xEE}));
}

TEST(GifLzw, AFullTableWithoutClearKeepsDecoding) {
  // 5000 distinct pairs fill the table with no clear code: the decoder must stop adding
  // entries at 4096 and go on reading 12-bit codes.
  std::vector<std::pair<int, int>> codes{{256, 9}};
  std::vector<std::uint8_t> expected;
  int free = 258, width = 9;
  for (int i = 0; i < 5000; ++i) {
    const int literal = i % 256;
    codes.push_back({literal, width});
    expected.push_back(static_cast<std::uint8_t>(literal));
    if (i > 0 && free < 4096) {
      ++free;
      if (free == (1 << width) && width < 12) ++width;
    }
  }
  codes.push_back({257, width});
  std::size_t written = 0;
  EXPECT_EQ(Decoded(Pack(codes), 8, expected.size(), &written), expected);
  EXPECT_EQ(written, expected.size());
}

TEST(GifLzw, HostileStreamsStayInBounds) {
  // Random bytes at every code size: any result, but no crash, no overrun (ASan), no hang.
  std::mt19937 random(11);
  for (int round = 0; round < 3000; ++round) {
    std::vector<std::uint8_t> codes(random() % 600);
    for (auto& b : codes)
      b = static_cast<std::uint8_t>(random());
    const int size = 2 + static_cast<int>(random() % 7);
    std::vector<std::uint8_t> out(random() % 3000);
    try {
      EXPECT_LE(DecodeGifLzw(codes, size, out.data(), out.size()), out.size());
    } catch (const EGIFError&) {
    }
  }
}

TEST(GifLzw, CodeSizesOutsideTwoToEightAreRefused) {
  std::uint8_t out[4];
  for (int size : {0, 1, 9, 12, 255}) {
    EXPECT_THROW(DecodeGifLzw(Pack({{1, 3}}), size, out, 4), EGIFError) << size;
  }
}

}  // namespace
