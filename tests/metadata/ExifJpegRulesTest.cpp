// EXIF blocks as PNG, WebP, HEIC and AVIF writers leave them, completed for a JPEG: exiftool's
// validation of the JPEG finds nothing missing, and every tag the block had reads as before.
#include <gtest/gtest.h>

#include "codecs/jpeg/JpegMetadata.h"
#include "metadata/ExifBlock.h"
#include "metadata/ExifJpegRules.h"
#include "tests/metadata/MetadataSamples.h"

namespace pixtrel::test {
namespace {

// A TIFF structure in the byte order: IFD0 with ImageWidth (a TIFF layout tag), Make and the
// Exif and GPS pointers; an Exif IFD with DateTimeOriginal only; a GPS IFD with the latitude
// only. No resolution, versions or components, as a PNG writer may leave it.
Bytes SparseExif(bool big) {
  Bytes t(8, 0);
  const auto put16 = [&](std::size_t at, std::uint32_t v) { SetTiffNumber(t, at, 2, v, big); };
  const auto put32 = [&](std::size_t at, std::uint32_t v) { SetTiffNumber(t, at, 4, v, big); };
  t[0] = t[1] = big ? 'M' : 'I';
  put16(2, 42);
  put32(4, 8);
  // IFD0 at 8: 4 entries (2 + 48 + 4 = 54 bytes), then Make's text at 62.
  const std::size_t ifd0 = 8, make = 62, exif = 72, date = 90, gps = 110, latitude = 128;
  t.resize(152, 0);
  const auto entry = [&](std::size_t at, std::uint16_t tag, std::uint16_t type, std::uint32_t count,
                         std::uint32_t value) {
    put16(at, tag);
    put16(at + 2, type);
    put32(at + 4, count);
    if (type == 3 && count == 1)
      put16(at + 8, value);
    else
      put32(at + 8, value);
  };
  put16(ifd0, 4);
  entry(ifd0 + 2, 0x0100, 3, 1, 320);
  entry(ifd0 + 14, 0x010F, 2, 8, make);
  entry(ifd0 + 26, 0x8769, 4, 1, exif);
  entry(ifd0 + 38, 0x8825, 4, 1, gps);
  std::copy_n("PngCam!", 8, t.begin() + make);
  put16(exif, 1);
  entry(exif + 2, 0x9003, 2, 20, date);
  std::copy_n("2024:02:03 04:05:06", 20, t.begin() + date);
  put16(gps, 1);
  entry(gps + 2, 0x0002, 5, 3, latitude);
  const std::uint32_t rationals[] = {46, 1, 3, 1, 24, 1};
  for (int i = 0; i < 6; ++i)
    put32(latitude + 4 * i, rationals[i]);
  return t;
}

class JpegRules : public ::testing::TestWithParam<bool> {};

TEST_P(JpegRules, ExiftoolValidatesTheCompletedBlockAndReadsEveryTag) {
  PIXTREL_SKIP_WITHOUT_PROGRAM("exiftool");
  PIXTREL_SKIP_WITHOUT_PROGRAM("cjpeg");
  TempFolder folder;
  const Bytes sparse = SparseExif(GetParam());
  auto write = [&](const Bytes& tiff, const std::string& name) {
    PictureMetadata metadata;
    metadata.exif = tiff;
    WriteBytes(folder / name, ReplaceJpegMetadata(CjpegFile(folder, 8, 8), metadata));
    return folder / name;
  };
  const auto before = ExiftoolTags(write(sparse, "sparse.jpg"), {"-validate", "-warning", "-a"});
  ASSERT_NE(before.find("Validate"), before.end());
  EXPECT_NE(before.at("Validate"), "0 0 0") << "the sample lacks what a JPEG requires";

  Bytes completed = sparse;
  CompleteExifForJpeg(completed, {8, 8, false});
  auto tags =
      ExiftoolTags(write(completed, "completed.jpg"), {"-validate", "-warning", "-a", "-EXIF:all"});
  EXPECT_EQ(tags["Validate"], "0 0 0") << tags["Warning"];
  EXPECT_EQ(tags["Make"], "PngCam!");
  EXPECT_EQ(tags["DateTimeOriginal"], "2024:02:03 04:05:06");
  EXPECT_TRUE(tags["GPSLatitude"].starts_with("46.0566")) << tags["GPSLatitude"];
  EXPECT_EQ(tags["GPSVersionID"], "2 3 0 0");
  EXPECT_EQ(tags["ExifVersion"], "0232");
  EXPECT_EQ(tags["ComponentsConfiguration"], "1 2 3 0");
  EXPECT_EQ(tags["ColorSpace"], "1");
  EXPECT_EQ(tags["ExifImageWidth"], "8");
  EXPECT_EQ(tags["XResolution"], "72");
  EXPECT_FALSE(tags.contains("ImageWidth"));

  // Through EditExif, with the GPS removed as well: nothing of it left, nothing missing.
  const Bytes edited =
      EditExif(sparse, {.width = 8, .height = 8, .dropGps = true, .jpegRules = true});
  tags = ExiftoolTags(write(edited, "edited.jpg"), {"-validate", "-warning", "-a", "-GPS:all"});
  EXPECT_EQ(tags["Validate"], "0 0 0") << tags["Warning"];
  EXPECT_FALSE(tags.contains("GPSLatitude"));
}

INSTANTIATE_TEST_SUITE_P(ByteOrders, JpegRules, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "MM" : "II"; });

TEST(JpegRulesBlock, ACompleteBlockStaysAsItIs) {
  const HandExif h = HandBuiltExif(true);
  Bytes once = EditExif(h.tiff, {.width = 64, .height = 48, .jpegRules = true});
  Bytes twice = once;
  CompleteExifForJpeg(twice, {64, 48, false});
  EXPECT_EQ(twice, once);
  // Damage is left alone: no IFD0.
  Bytes damaged = h.tiff;
  SetTiffNumber(damaged, 4, 4, 0xFFFFFF00u, true);
  Bytes copy = damaged;
  CompleteExifForJpeg(copy, {64, 48, false});
  EXPECT_EQ(copy, damaged);
}

}  // namespace
}  // namespace pixtrel::test
