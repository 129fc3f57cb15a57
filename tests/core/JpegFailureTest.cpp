// How JPEG encoding and decoding fail: the encoder running out of room, damaged files, and
// the codec's own texts in the messages.
#include <gtest/gtest.h>

#include <random>

#include "formats/Errors.h"
#include "formats/JpegBridge.h"
#include "formats/JpegImage.h"
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

}  // namespace
