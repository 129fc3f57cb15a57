// Picture sizes read from the first bytes of JPEG, GIF and BMP files, through their rows of the
// format table: what the memory budget and shrink-only decide from.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "batch/PeakEstimate.h"
#include "codecs/Registry.h"
#include "tests/support/TestSupport.h"

using namespace pixtrel;

namespace {

using Head = std::vector<std::uint8_t>;

std::optional<PictureSize> Probe(const FormatRow& format, const Head& head) {
  return format.probe(head);
}

// SOI, a fill byte, an APP0 segment, then a frame header of the given marker and size.
Head Jpeg(std::uint8_t frameMarker, int width, int height) {
  Head head{0xFF, 0xD8, 0xFF, 0xFF, 0xE0, 0x00, 0x06, 'J', 'F', 'I', 'F'};
  head.insert(head.end(),
              {0xFF, frameMarker, 0x00, 0x11, 0x08, static_cast<std::uint8_t>(height >> 8),
               static_cast<std::uint8_t>(height), static_cast<std::uint8_t>(width >> 8),
               static_cast<std::uint8_t>(width), 0x03});
  return head;
}

Head Le32(std::int32_t v) {
  const auto u = static_cast<std::uint32_t>(v);
  return {static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8),
          static_cast<std::uint8_t>(u >> 16), static_cast<std::uint8_t>(u >> 24)};
}

Head Bmp(std::int32_t headerSize, std::int32_t width, std::int32_t height) {
  Head head{'B', 'M'};
  head.resize(14, 0);
  const Head size = Le32(headerSize);
  head.insert(head.end(), size.begin(), size.end());
  if (headerSize == 12) {
    head.insert(head.end(),
                {static_cast<std::uint8_t>(width), static_cast<std::uint8_t>(width >> 8),
                 static_cast<std::uint8_t>(height), static_cast<std::uint8_t>(height >> 8)});
  } else {
    for (const Head& field : {Le32(width), Le32(height)})
      head.insert(head.end(), field.begin(), field.end());
  }
  head.resize(std::max<std::size_t>(head.size(), 26), 0);
  return head;
}

}  // namespace

TEST(HeaderProbe, JpegFrameHeaderAfterItsSegments) {
  const auto baseline = Probe(*RowForKey("jpg"), Jpeg(0xC0, 400, 300));
  ASSERT_TRUE(baseline);
  EXPECT_EQ(baseline->width, 400);
  EXPECT_EQ(baseline->height, 300);
  EXPECT_EQ(baseline->decodingBytesPerPixel, 3);
  // A progressive frame is decoded from a whole picture of coefficients.
  const auto progressive = Probe(*RowForKey("jpg"), Jpeg(0xC2, 4000, 3000));
  ASSERT_TRUE(progressive);
  EXPECT_EQ(progressive->decodingBytesPerPixel, 9);
  // No size: a DHT is not a frame, the data starts before any frame, a zero side, a cut header.
  EXPECT_FALSE(Probe(*RowForKey("jpg"), Jpeg(0xC4, 400, 300)));
  EXPECT_FALSE(Probe(*RowForKey("jpg"), Jpeg(0xDA, 400, 300)));
  EXPECT_FALSE(Probe(*RowForKey("jpg"), Jpeg(0xC0, 0, 300)));
  Head cut = Jpeg(0xC0, 400, 300);
  cut.resize(cut.size() - 3);
  EXPECT_FALSE(Probe(*RowForKey("jpg"), cut));
  // A head that ends after the frame header's sides still tells them.
  cut = Jpeg(0xC0, 400, 300);
  cut.pop_back();
  const auto sides = Probe(*RowForKey("jpg"), cut);
  ASSERT_TRUE(sides);
  EXPECT_EQ(sides->width, 400);
}

// Markers without a length (restart markers, TEM) are stepped over as the decoder steps over
// them, rather than read as a length.
TEST(HeaderProbe, JpegMarkersWithoutALengthBeforeTheFrame) {
  Head head = Jpeg(0xC0, 400, 300);
  const Head standalone{0xFF, 0xD0, 0xFF, 0x01};
  head.insert(head.begin() + 2, standalone.begin(), standalone.end());
  const auto size = Probe(*RowForKey("jpg"), head);
  ASSERT_TRUE(size);
  EXPECT_EQ(size->width, 400);
  EXPECT_EQ(size->height, 300);
}

// The memory estimate finds a JPEG's frame header behind long leading segments (an EXIF block
// with a large thumbnail, a colour profile) in the first MiB of the file.
TEST(HeaderProbe, PeakEstimateReadsAJpegPastLongSegments) {
  test::TempFolder folder;
  Head file{0xFF, 0xD8};
  for (int i = 0; i < 10; ++i) {  // ten APP2 segments of 64 KiB each
    file.insert(file.end(), {0xFF, 0xE2, 0xFF, 0xFF});
    file.resize(file.size() + 0xFFFD, 0x20);
  }
  const Head frame = Jpeg(0xC0, 1200, 900);
  file.insert(file.end(), frame.begin() + 11, frame.end());
  test::WriteBytes(folder / "long.jpg", file);
  EXPECT_EQ(HeaderPixels(folder / "long.jpg"), 1200u * 900u);
  // Leading segments beyond the first MiB leave the size unknown: the batch then plans with
  // the estimate for unknown files.
  for (int i = 0; i < 10; ++i) {
    file.insert(file.begin() + 2, {0xFF, 0xE2, 0xFF, 0xFF});
    file.insert(file.begin() + 6, 0xFFFD, 0x20);
  }
  test::WriteBytes(folder / "longer.jpg", file);
  EXPECT_EQ(HeaderPixels(folder / "longer.jpg"), 0u);
  EXPECT_EQ(EstimatePeakBytes(folder / "longer.jpg", 2), kUnknownPeakBytes);
}

TEST(HeaderProbe, GifLogicalScreen) {
  const Head gif{'G', 'I', 'F', '8', '9', 'a', 0x80, 0x02, 0xE0, 0x01};
  const auto size = Probe(*RowForKey("gif"), gif);
  ASSERT_TRUE(size);
  EXPECT_EQ(size->width, 640);
  EXPECT_EQ(size->height, 480);
  EXPECT_EQ(size->decodingBytesPerPixel, 4);
  EXPECT_FALSE(Probe(*RowForKey("gif"), Head{'G', 'I', 'F', '8', '9', 'a', 0, 0, 0xE0, 0x01}));
  EXPECT_FALSE(Probe(*RowForKey("gif"), Head{'G', 'I', 'F', '8', '9', 'a', 0x80}));
}

TEST(HeaderProbe, BmpCoreAndInfoHeadersTopDownCountedPositive) {
  const auto core = Probe(*RowForKey("bmp"), Bmp(12, 320, 200));
  ASSERT_TRUE(core);
  EXPECT_EQ(core->width, 320);
  EXPECT_EQ(core->height, 200);
  const auto topDown = Probe(*RowForKey("bmp"), Bmp(40, 1024, -768));
  ASSERT_TRUE(topDown);
  EXPECT_EQ(topDown->width, 1024);
  EXPECT_EQ(topDown->height, 768);
  EXPECT_FALSE(Probe(*RowForKey("bmp"), Bmp(40, 0, 10)));
  Head cut = Bmp(40, 10, 10);
  cut.resize(25);
  EXPECT_FALSE(Probe(*RowForKey("bmp"), cut));
}
