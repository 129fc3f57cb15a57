// How JPEG encoding and decoding fail: the encoder running out of room, damaged files, and
// the codec's own texts in the messages.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "codecs/jpeg/JpegBridge.h"
#include "codecs/jpeg/JpegImage.h"
#include "core/Errors.h"
#include "tests/support/TestSupport.h"

using namespace pixtrel;
using namespace pixtrel::test;

namespace {

// Noise compresses badly, so its encoding outgrows the encoder's first buffer (64 KiB).
Bitmap24 Noise(int width, int height) {
  Bitmap24 b = Bitmap24::Uninitialised(width, height);
  std::mt19937 random(7);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = b.row(y);
    for (int x = 0; x < width * 3; ++x)
      row[x] = static_cast<std::uint8_t>(random());
  }
  return b;
}

// Lowers the encoder's output limit for one test.
class EncodedSizeLimit {
 public:
  explicit EncodedSizeLimit(std::size_t bytes) : saved_(jpegbridge::EncodedSizeLimit()) {
    jpegbridge::SetEncodedSizeLimit(bytes);
  }
  ~EncodedSizeLimit() { jpegbridge::SetEncodedSizeLimit(saved_); }

 private:
  std::size_t saved_;
};

std::string EncodeError(TJPEGImage& picture) {
  try {
    EncodeJpeg(picture);
    return "ok";
  } catch (const Exception& e) {
    return e.what();
  }
}

TEST(JpegEncoderOutOfRoom, FailsWithOutOfMemoryAfterItsBufferGrew) {
  for (bool progressive : {false, true}) {
    TJPEGImage picture;
    SetJpegRaster(picture, Noise(400, 300));
    picture.Quality = 100;
    picture.Progressive = progressive;
    {
      EncodedSizeLimit limit(100'000);  // the first buffer grows once, then the limit is hit
      EXPECT_EQ(EncodeError(picture), "Out of memory") << progressive;
      EXPECT_TRUE(picture.data().empty());
    }
    // The picture is unharmed: with room enough the same encoding succeeds.
    EXPECT_EQ(EncodeError(picture), "ok");
    EXPECT_GT(picture.data().size(), 100'000u);
    TJPEGImage back = JpegFromBytes(picture.data());
    DecodeJpeg(back);
    EXPECT_EQ(back.width(), 400);
    EXPECT_EQ(back.height(), 300);
  }
}

TEST(JpegEncoderOutOfRoom, NoRoomForTheFirstBuffer) {
  TJPEGImage picture;
  SetJpegRaster(picture, TestPattern(16, 16));
  EncodedSizeLimit limit(0);
  EXPECT_EQ(EncodeError(picture), "Out of memory");
  EXPECT_TRUE(picture.data().empty());
}

TEST(JpegEncoderOutOfRoom, ALimitAboveTheEncodingIsNoFailure) {
  TJPEGImage picture;
  SetJpegRaster(picture, Noise(400, 300));
  picture.Quality = 100;
  EncodeJpeg(picture);
  const Bytes unlimited = picture.data();
  // libjpeg asks for more room as soon as the buffer is full, so one byte beyond the encoding.
  EncodedSizeLimit limit(unlimited.size() + 1);
  SetJpegRaster(picture, Noise(400, 300));
  EncodeJpeg(picture);
  EXPECT_EQ(picture.data(), unlimited);
}

Bytes Encoded(const Raster& raster, bool progressive, int quality = 90) {
  TJPEGImage picture;
  SetJpegRaster(picture, raster);
  picture.Quality = quality;
  picture.Progressive = progressive;
  EncodeJpeg(picture);
  return picture.data();
}

// The error of decoding the bytes in every way a command does: whole, greyscale, in bands.
std::vector<std::string> DecodeErrors(const Bytes& bytes) {
  std::vector<std::string> errors;
  for (int way = 0; way < 3; ++way) {
    try {
      TJPEGImage picture = JpegFromBytes(bytes);
      if (way == 1) picture.SetGreyscale(true);
      if (way == 2) {
        DecodeJpegRows(picture, [](const std::uint8_t*, std::size_t, int, int) {});
      } else {
        DecodeJpeg(picture);
      }
      errors.push_back("ok");
    } catch (const Exception& e) {
      errors.push_back(e.what());
    }
  }
  return errors;
}

std::size_t StartOfScan(const Bytes& b) {
  for (std::size_t i = 2; i + 1 < b.size(); ++i) {
    if (b[i] == 0xFF && b[i + 1] == 0xDA) return i;
  }
  return 0;
}

const std::string kEndsEarly = "JPEG file is damaged: data ends early";

TEST(JpegDamage, CutOffDataIsAnError) {
  for (bool progressive : {false, true}) {
    Bytes half = Encoded(TestPattern(120, 80), progressive);
    half.resize(half.size() / 2);
    for (const std::string& error : DecodeErrors(half))
      EXPECT_EQ(error, kEndsEarly);
  }
}

TEST(JpegDamage, EveryCutAfterTheHeaderEndsEarly) {
  for (bool progressive : {false, true}) {
    const Bytes whole = Encoded(TestPattern(48, 32), progressive, 75);
    const std::size_t scan = StartOfScan(whole);
    ASSERT_NE(scan, 0u);
    for (std::size_t cut = scan + 20; cut < whole.size(); ++cut) {
      const Bytes part(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
      EXPECT_EQ(DecodeErrors(part)[0], kEndsEarly) << progressive << " cut at " << cut;
    }
    EXPECT_EQ(DecodeErrors(whole)[0], "ok");
  }
}

TEST(JpegDamage, AMarkerInTheMiddleOfTheDataIsCorruption) {
  Bytes b = Encoded(TestPattern(120, 80), false);
  const std::size_t scan = StartOfScan(b);
  ASSERT_NE(scan, 0u);
  const std::size_t at = (scan + b.size()) / 2;
  b[at] = 0xFF, b[at + 1] = 0xD9;  // end of image, long before the last block
  for (const std::string& error : DecodeErrors(b)) {
    EXPECT_EQ(error, "JPEG file is damaged: Corrupt JPEG data: premature end of data segment");
  }
}

TEST(JpegDamage, ExtraneousBytesBeforeTheEndLeaveThePictureWhole) {
  const Bytes whole = Encoded(TestPattern(40, 30), false);
  Bytes padded(whole.begin(), whole.end() - 2);
  for (int i = 0; i < 5; ++i)
    padded.push_back(0x00);
  padded.push_back(0xFF), padded.push_back(0xD9);
  for (const std::string& error : DecodeErrors(padded))
    EXPECT_EQ(error, "ok");
  TJPEGImage a = JpegFromBytes(whole), b = JpegFromBytes(padded);
  DecodeJpeg(a);
  DecodeJpeg(b);
  const auto& pa = std::get<Bitmap24>(a.raster());
  const auto& pb = std::get<Bitmap24>(b.raster());
  for (int y = 0; y < 30; ++y) {
    ASSERT_TRUE(std::equal(pa.row(y), pa.row(y) + 40 * 3, pb.row(y))) << y;
  }
}

}  // namespace
