// Damaged and hostile HEIF files: sizes beyond the limits refused before decoding, files cut
// off at every offset and bytes flipped at random. Each gives a picture or a clear error.
#include <gtest/gtest.h>

#include <random>

#include "codecs/heif/HeifFile.h"
#include "core/Errors.h"
#include "tests/heif/HeifTools.h"

namespace pixtrel::test {
namespace {

// Every ispe property of the file set to claim width x height.
Bytes WithSize(Bytes file, std::uint32_t width, std::uint32_t height) {
  for (std::size_t at = Find(file, "ispe"); at != std::string::npos && at + 16 <= file.size();) {
    for (int i = 0; i < 4; ++i) {
      file[at + 8 + i] = static_cast<std::uint8_t>(width >> (24 - 8 * i));
      file[at + 12 + i] = static_cast<std::uint8_t>(height >> (24 - 8 * i));
    }
    const std::size_t next = Find(Bytes(file.begin() + at + 4, file.end()), "ispe");
    at = next == std::string::npos ? next : at + 4 + next;
  }
  return file;
}

// A small AVIF with alpha and an EXIF block, and a small HEIC.
std::vector<Bytes> SampleFiles(const TempFolder& folder) {
  const auto alpha = AlphaRamp(20, 12);
  const auto png = WriteSourcePng(folder, TestPattern(20, 12, 12), &alpha);
  const Bytes tiff{'I', 'I', '*', 0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  WriteBytes(folder / "e.bin", tiff);
  return {Encode(folder, "avifenc", {"--exif", (folder / "e.bin").string()}, png, "s.avif"),
          Encode(folder, "heif-enc", {"-q", "50"}, png, "s.heic")};
}

// Reads the bytes both ways; only the picture layer's errors may come out.
void ReadsOrFails(const Bytes& bytes) {
  for (const bool upright : {true, false}) {
    try {
      const DecodedPicture picture = ReadHeifBytes(bytes, upright);
      ASSERT_GT(RasterWidth(picture.raster), 0);
      if (picture.alpha) {
        ASSERT_EQ(picture.alpha->size(),
                  std::size_t(RasterWidth(picture.raster)) * RasterHeight(picture.raster));
      }
    } catch (const Exception& e) {
      ASSERT_FALSE(std::string(e.what()).empty());
    }
  }
  (void)ProbeHeif(bytes);
}

TEST(HeifHostile, SizesBeyondTheLimitsAreRefusedBeforeDecoding) {
  PIXTREL_SKIP_WITHOUT_ENCODER("avifenc");
  PIXTREL_SKIP_WITHOUT_ENCODER("heif-enc");
  TempFolder folder;
  // 65501 pixels a side: libheif's own bound, set to ours, refuses it as it reads the file.
  for (const Bytes& file : SampleFiles(folder)) {
    ASSERT_FALSE(file.empty());
    const long before = PeakMemoryKiB();
    const struct {
      std::uint32_t width, height;
      const char* message;
    } claims[] = {{60000, 60000, "Picture too large: 60000 x 60000"},
                  {65501, 16, "exceeds the maximum image size 65500x65500"},
                  {9000, 9000, "Picture too large for its data: 9000 x 9000"}};
    for (const auto& claim : claims) {
      const Bytes hostile = WithSize(file, claim.width, claim.height);
      ASSERT_EQ(ProbeHeif(hostile)->width, int(claim.width));  // the probe only reports
      try {
        (void)ReadHeifBytes(hostile);
        ADD_FAILURE() << claim.width << " x " << claim.height << " was read";
      } catch (const Exception& e) {
        const std::string message = e.what();
        EXPECT_NE(message.find(claim.message), std::string::npos) << message;
        EXPECT_NE(message.back(), '\n');
      }
    }
    EXPECT_LT(PeakMemoryKiB() - before, 64 * 1024) << "a claimed raster was allocated";
  }
}

TEST(HeifHostile, NotHeifGivesAnError) {
  for (const Bytes& bytes : {Bytes{}, Bytes{0, 0, 0}, Bytes(64, 0x20),
                             Bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13}}) {
    EXPECT_THROW(
        try { (void)ReadHeifBytes(bytes); } catch (const Exception& e) {
          EXPECT_EQ(std::string(e.what()).rfind("HEIF error: ", 0), 0u) << e.what();
          throw;
        },
        Exception);
    EXPECT_FALSE(ProbeHeif(bytes).has_value());
  }
}

TEST(HeifHostile, CutAtEveryOffset) {
  PIXTREL_SKIP_WITHOUT_ENCODER("avifenc");
  PIXTREL_SKIP_WITHOUT_ENCODER("heif-enc");
  TempFolder folder;
  for (const Bytes& file : SampleFiles(folder)) {
    ASSERT_FALSE(file.empty());
    for (std::size_t size = 0; size < file.size(); ++size) {
      ReadsOrFails(Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(size)));
      if (HasFatalFailure()) FAIL() << "cut at " << size;
    }
  }
}

TEST(HeifHostile, BytesFlippedAtRandom) {
  PIXTREL_SKIP_WITHOUT_ENCODER("avifenc");
  PIXTREL_SKIP_WITHOUT_ENCODER("heif-enc");
  TempFolder folder;
  std::mt19937 random(2024);
  for (const Bytes& file : SampleFiles(folder)) {
    ASSERT_FALSE(file.empty());
    for (int round = 0; round < 400; ++round) {
      Bytes damaged = file;
      const int flips = 1 + static_cast<int>(random() % 4);
      for (int i = 0; i < flips; ++i)
        damaged[random() % damaged.size()] ^= static_cast<std::uint8_t>(1 + random() % 255);
      ReadsOrFails(damaged);
      if (HasFatalFailure()) FAIL() << "round " << round;
    }
  }
}

}  // namespace
}  // namespace pixtrel::test
