// Damaged and hostile PNG files: cut off at every offset, bytes flipped at random, headers that
// claim more pixels than allowed. Each gives a picture or a clear error, never a crash.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "codecs/png/PngFile.h"
#include "core/ByteOrder.h"
#include "core/Errors.h"
#include "tests/formats/PictureTools.h"
#include "tests/support/TestSupport.h"

namespace pixtrel::test {
namespace {

// An RGBA file with metadata chunks before and after its picture data.
Bytes SampleFile() {
  DecodedPicture picture;
  picture.raster = TestPattern(23, 17, 5);
  std::vector<std::uint8_t> alpha(23 * 17);
  for (std::size_t i = 0; i < alpha.size(); ++i)
    alpha[i] = static_cast<std::uint8_t>(i * 7);
  PictureMetadata metadata;
  metadata.exif = {'M', 'M', 0, '*', 0, 0, 0, 8, 0, 0};
  metadata.xmp = {'<', 'x', '/', '>'};
  return EncodePng(picture.raster, &alpha, metadata);
}

// Offset just past the last IDAT chunk: every shorter prefix lacks picture data.
std::size_t EndOfImageData(const Bytes& file) {
  std::size_t end = 0;
  for (std::size_t at = 8; at + 12 <= file.size();) {
    const std::size_t length =
        (std::size_t{file[at]} << 24) | (file[at + 1] << 16) | (file[at + 2] << 8) | file[at + 3];
    if (std::memcmp(&file[at + 4], "IDAT", 4) == 0) end = at + 12 + length;
    at += 12 + length;
  }
  return end;
}

void PutU32(Bytes& out, std::uint32_t v) {
  for (int s = 24; s >= 0; s -= 8)
    out.push_back(static_cast<std::uint8_t>(v >> s));
}

void PutChunk(Bytes& out, const char* type, const Bytes& data) {
  PutU32(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  PutU32(out,
         static_cast<std::uint32_t>(crc32(0, &out[start], static_cast<uInt>(out.size() - start))));
}

// A file whose header claims width x height, with a little picture data after it.
Bytes ClaimingFile(std::uint32_t width, std::uint32_t height) {
  Bytes out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  Bytes header;
  PutU32(header, width);
  PutU32(header, height);
  header.insert(header.end(), {8, 2, 0, 0, 0});
  PutChunk(out, "IHDR", header);
  PutChunk(out, "IDAT", Bytes(64, 0));
  PutChunk(out, "IEND", {});
  return out;
}

std::string ErrorOf(const Bytes& file) {
  try {
    (void)ReadPngBytes(file);
  } catch (const Exception& e) {
    return e.what();
  }
  return "";
}

TEST(PngHostile, EveryTruncationFailsCleanlyUntilThePixelsAreComplete) {
  const Bytes file = SampleFile();
  const DecodedPicture whole = ReadPngBytes(file);
  const std::size_t pixelsEnd = EndOfImageData(file);
  ASSERT_GT(pixelsEnd, 0u);
  for (std::size_t length = 0; length < file.size(); ++length) {
    const Bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length));
    if (length < pixelsEnd) {
      const std::string error = ErrorOf(cut);
      ASSERT_EQ(error.rfind("PNG error: ", 0), 0u) << "at " << length << ": " << error;
    } else {
      const DecodedPicture picture = ReadPngBytes(cut);
      ASSERT_EQ(FirstDifference(RgbaOf(whole), RgbaOf(picture)), "") << "at " << length;
    }
  }
}

TEST(PngHostile, RandomByteFlipsGiveAPictureOrAnError) {
  const Bytes file = SampleFile();
  std::mt19937 random(12);
  int pictures = 0, errors = 0;
  for (int round = 0; round < 3000; ++round) {
    Bytes damaged = file;
    const int flips = 1 + static_cast<int>(random() % 4);
    for (int i = 0; i < flips; ++i) {
      damaged[8 + random() % (damaged.size() - 8)] ^= static_cast<std::uint8_t>(1 + random() % 255);
    }
    try {
      const DecodedPicture picture = ReadPngBytes(damaged);
      ASSERT_GT(RasterWidth(picture.raster), 0);
      ++pictures;
    } catch (const Exception&) {
      ++errors;
    }
  }
  // The CRCs catch most damage; damage in ancillary chunks is skipped.
  EXPECT_GT(errors, 0);
  EXPECT_GT(pictures, 0);
}

TEST(PngHostile, OversizedHeadersAreRefusedBeforeAllocating) {
  EXPECT_EQ(ErrorOf(ClaimingFile(65501, 1)).rfind("Picture too large: 65501 x 1", 0), 0u);
  EXPECT_EQ(ErrorOf(ClaimingFile(20000, 20000)).rfind("Picture too large: 20000 x 20000", 0), 0u);
  EXPECT_EQ(ErrorOf(ClaimingFile(10000, 10000)).rfind("Picture too large for its data", 0), 0u);
  EXPECT_EQ(ErrorOf(ClaimingFile(0x80000000u, 1)).rfind("PNG error: ", 0), 0u);
}

TEST(PngHostile, AChunkClaimingAGigabyteCostsNoMemory) {
  // After the pixels, a text chunk whose length field says 1.1 GB, with 13 bytes behind it.
  Bytes file = SampleFile();
  file.resize(file.size() - 12);  // without IEND
  const std::uint8_t huge[] = {0x45, 0x45, 0x45, 0x45, 't', 'E', 'X', 't', 'C', 'o', 'm',
                               'm',  'e',  'n',  't',  0,   'h', 'e', 'l', 'l', 'o'};
  file.insert(file.end(), std::begin(huge), std::end(huge));
  const long before = PeakMemoryKiB();
  const DecodedPicture picture = ReadPngBytes(file);
  EXPECT_EQ(RasterWidth(picture.raster), 23);
  EXPECT_LT(PeakMemoryKiB() - before, 64 * 1024);
}

TEST(PngHostile, AChunkBeforeTheHeaderIsRefused) {
  // A well-formed ancillary chunk ahead of IHDR: libpng would read on, but the picture's size is
  // then not where the probe finds it (it would count as an unknown size in the batch's budget).
  const Bytes file = SampleFile();
  Bytes moved(file.begin(), file.begin() + 8);
  PutChunk(moved, "teXt", {'a', 0, 'b'});
  moved.insert(moved.end(), file.begin() + 8, file.end());
  EXPECT_EQ(ErrorOf(moved), "PNG error: IHDR is not the first chunk");
  EXPECT_FALSE(ProbePng(moved).has_value());
  // The same file with the chunk after the header reads as before.
  Bytes after(file.begin(), file.begin() + 33);
  PutChunk(after, "teXt", {'a', 0, 'b'});
  after.insert(after.end(), file.begin() + 33, file.end());
  EXPECT_EQ(RasterWidth(ReadPngBytes(after).raster), 23);
  EXPECT_EQ(ProbePng(after)->width, 23);
}

// libpng takes the rows it needs and may never reach zlib's own check at the end of the data, so
// the chunks' CRCs are what stands behind every byte of the picture data.
TEST(PngHostile, DamagedPictureDataNeverGivesOtherPixels) {
  const Bytes file = SampleFile();
  const DecodedPicture whole = ReadPngBytes(file);
  int errors = 0, same = 0;
  for (std::size_t at = 8; at + 12 <= file.size();) {
    const std::size_t length =
        (std::size_t{file[at]} << 24) | (file[at + 1] << 16) | (file[at + 2] << 8) | file[at + 3];
    if (std::memcmp(&file[at + 4], "IDAT", 4) == 0) {
      for (std::size_t i = at + 8; i < at + 8 + length; ++i) {
        for (const std::uint8_t flip : {0x01, 0x5a, 0xff}) {
          Bytes damaged = file;
          damaged[i] ^= flip;
          try {
            const DecodedPicture picture = ReadPngBytes(damaged);
            ASSERT_EQ(FirstDifference(RgbaOf(whole), RgbaOf(picture)), "")
                << "byte " << i << " ^ " << int{flip};
            ++same;
          } catch (const Exception& e) {
            ASSERT_EQ(std::string(e.what()).rfind("PNG error: ", 0), 0u) << e.what();
            ++errors;
          }
        }
      }
    }
    at += 12 + length;
  }
  // A changed bit that deflate never reads (the end of the last byte) leaves the pixels as
  // they were; nearly every other change is an error.
  EXPECT_GT(errors, 20 * same);
}

// zlib's own check at the end of the picture data is not read: the chunks' CRCs cover the data.
// A file whose writer got only that check wrong reads as its data say.
TEST(PngHostile, AWrongZlibCheckUnderRightCrcsReadsAsItsData) {
  const Bytes file = SampleFile();
  const DecodedPicture whole = ReadPngBytes(file);
  const std::size_t end = EndOfImageData(file);
  ASSERT_GT(end, 0u);
  // The last IDAT chunk: its data end with the check (4 bytes), then its CRC.
  std::size_t at = 8;
  while (at + 12 + Be32(&file[at]) < end)
    at += 12 + Be32(&file[at]);
  ASSERT_EQ(std::memcmp(&file[at + 4], "IDAT", 4), 0);
  const std::size_t length = Be32(&file[at]);
  Bytes wrong(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(at));
  Bytes data(file.begin() + static_cast<std::ptrdiff_t>(at + 8),
             file.begin() + static_cast<std::ptrdiff_t>(at + 8 + length));
  data[length - 2] ^= 0x21;
  PutChunk(wrong, "IDAT", data);
  wrong.insert(wrong.end(), file.begin() + static_cast<std::ptrdiff_t>(end), file.end());
  ASSERT_EQ(wrong.size(), file.size());
  const DecodedPicture picture = ReadPngBytes(wrong);
  EXPECT_EQ(FirstDifference(RgbaOf(whole), RgbaOf(picture)), "");
}

TEST(PngHostile, DataShortOfTheHeadersClaimIsAnError) {
  EXPECT_EQ(ErrorOf(ClaimingFile(300, 200)).rfind("PNG error: ", 0), 0u);
}

}  // namespace
}  // namespace pixtrel::test
