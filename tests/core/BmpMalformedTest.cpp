// Damaged and hostile BMP files: each gives a clear error or a clipped picture, never a crash,
// an out-of-bounds access (run under the sanitizers) or a huge allocation.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <random>

#include "codecs/bmp/Bmp.h"
#include "core/Errors.h"
#include "tests/support/TestSupport.h"

using namespace pixtrel;
using namespace pixtrel::test;

namespace {

void Put16(Bytes& b, std::size_t at, std::uint32_t v) {
  b[at] = v & 0xFF;
  b[at + 1] = (v >> 8) & 0xFF;
}
void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i)
    b[at + i] = (v >> (8 * i)) & 0xFF;
}

// Decoding either succeeds or raises the picture layer's error, with a message.
std::string Outcome(const Bytes& bytes) {
  try {
    DecodeBmp(bytes);
    return "ok";
  } catch (const Exception& e) {
    EXPECT_GT(std::strlen(e.what()), 0u);
    return e.what();
  }
}

Bytes Valid24() {
  return EncodeBmp(TestPattern(9, 5));
}

Bytes Valid8() {
  PaletteBitmap p(7, 4, 8, std::vector<Rgb>(10, Rgb{1, 2, 3}));
  for (std::size_t i = 0; i < p.pixelCount(); ++i)
    p.data()[i] = static_cast<std::uint8_t>(i % 10);
  return EncodeBmp(p);
}

// An RLE8 file with the given size and run-length data.
Bytes Rle8(int width, int height, const Bytes& data) {
  Bytes b(54 + 256 * 4, 0);
  b[0] = 'B';
  b[1] = 'M';
  Put32(b, 10, 54 + 256 * 4);
  Put32(b, 14, 40);
  Put32(b, 18, static_cast<std::uint32_t>(width));
  Put32(b, 22, static_cast<std::uint32_t>(height));
  Put16(b, 26, 1);
  Put16(b, 28, 8);
  Put32(b, 30, 1);
  b.insert(b.end(), data.begin(), data.end());
  Put32(b, 2, static_cast<std::uint32_t>(b.size()));
  return b;
}

TEST(BmpMalformed, TruncatedAtEveryOffset) {
  for (const Bytes& whole :
       {Valid24(), Valid8(), Rle8(6, 3, {3, 1, 0, 3, 1, 2, 3, 0, 0, 0, 6, 7, 0, 1})}) {
    for (std::size_t cut = 1; cut < whole.size(); ++cut) {
      const Bytes part(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
      const std::string outcome = Outcome(part);
      // Cut inside the headers, the table or the rows of an uncompressed file: a read error.
      if (cut < 54) {
        EXPECT_EQ(outcome, "Stream read error") << "cut at " << cut;
      }
    }
  }
  Bytes cut = Valid24();
  cut.resize(cut.size() - 20);
  EXPECT_EQ(Outcome(cut), "Stream read error");
}

TEST(BmpMalformed, HeaderFieldsOutOfRange) {
  struct Case {
    const char* what;
    std::size_t offset;
    int bytes;
    std::uint32_t value;
    const char* message;
  };
  const Case cases[] = {
      {"signature", 0, 2, 0x4D42 ^ 0x0101, "Bitmap image is not valid"},
      {"planes 0", 26, 2, 0, "Bitmap image is not valid"},
      {"planes 2", 26, 2, 2, "Bitmap image is not valid"},
      {"bit count 0", 28, 2, 0, "Bitmap image is not valid"},
      {"bit count 2", 28, 2, 2, "Bitmap image is not valid"},
      {"bit count 48", 28, 2, 48, "Bitmap image is not valid"},
      {"compression 9", 30, 4, 9, "Bitmap image is not valid"},
      {"RLE8 on 24 bits", 30, 4, 1, "Bitmap image is not valid"},
      {"bit fields on 24 bits", 30, 4, 3, "Bitmap image is not valid"},
      {"header size 13", 14, 4, 13, "Bitmap image is not valid"},
      {"header size huge", 14, 4, 0x7FFFFFFF, "Bitmap image is not valid"},
      {"negative width", 18, 4, 0xFFFFFFF0, "Bitmap image is not valid"},
      {"wide", 18, 4, 70000, nullptr},
      {"tall", 22, 4, 0x80000000, nullptr},
      {"large but short file", 18, 4, 16000, "Stream read error"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes b = Valid24();
    if (c.bytes == 2)
      Put16(b, c.offset, c.value);
    else
      Put32(b, c.offset, c.value);
    const std::string outcome = Outcome(b);
    if (c.message) {
      EXPECT_EQ(outcome, c.message);
    } else {
      EXPECT_EQ(outcome.rfind("Picture too large", 0), 0u) << outcome;
    }
  }
}

TEST(BmpMalformed, HugeClaimsFailBeforeAllocating) {
  Bytes b = Valid24();
  Put32(b, 18, 65000);
  Put32(b, 22, 4000);  // 260 million pixels claimed by a 200-byte file
  const long before = PeakMemoryKiB();
  EXPECT_EQ(Outcome(b), "Stream read error");
  EXPECT_LT(PeakMemoryKiB() - before, 64L << 10);  // no 780 MiB raster was filled

  // Run-length data can legitimately describe large pictures, but not 260 million pixels in a
  // few bytes.
  const std::string rle = Outcome(Rle8(65000, 4000, {0, 1}));
  EXPECT_EQ(rle.rfind("Picture too large for its data", 0), 0u) << rle;
}

TEST(BmpMalformed, PaletteLargerThanTheDepthAllows) {
  Bytes b = Valid8();
  Put32(b, 46, 100000);  // colours used, far beyond 256
  const Raster r = DecodeBmp(b);
  EXPECT_EQ(std::get<PaletteBitmap>(r).palette().size(), 256u);
}

TEST(BmpMalformed, RunsThatLeaveTheRowOrPictureAreClipped) {
  // A run of 255 pixels in a 4-pixel row, a delta far beyond the picture, an absolute run that
  // claims more bytes than the file holds.
  const Raster a = DecodeBmp(Rle8(4, 2, {255, 9, 0, 0, 0, 2, 200, 200, 5, 5}));
  const auto& p = std::get<PaletteBitmap>(a);
  EXPECT_EQ(p.row(1)[3], 9);  // bottom row, written first
  EXPECT_EQ(p.row(0)[0], 0);
  EXPECT_EQ(Outcome(Rle8(4, 2, {0, 200, 1, 2, 3})), "ok");
  EXPECT_EQ(Outcome(Rle8(4, 2, {0, 2})), "ok");
  // Endless end-of-line markers stop at the picture's last row.
  EXPECT_EQ(Outcome(Rle8(4, 2, Bytes(4000, 0))), "ok");
}

TEST(BmpMalformed, RandomByteFlipsNeverCrash) {
  std::mt19937 random(20261208);
  const Bytes bases[] = {Valid24(), Valid8(),
                         Rle8(6, 3, {3, 1, 0, 3, 1, 2, 3, 0, 0, 0, 6, 7, 0, 1})};
  int errors = 0;
  for (int round = 0; round < 3000; ++round) {
    Bytes b = bases[round % 3];
    const int flips = 1 + static_cast<int>(random() % 4);
    for (int i = 0; i < flips; ++i)
      b[random() % b.size()] ^= static_cast<std::uint8_t>(1 + random() % 255);
    if (Outcome(b) != "ok") ++errors;
  }
  EXPECT_GT(errors, 0);  // the flips do reach the header checks
}

}  // namespace
