// EXIF edits: a photo tagged by exiftool in both byte orders is edited and read back by
// exiftool; hand-built blocks check the cases cameras rarely produce.
#include <gtest/gtest.h>

#include "formats/ExifBlock.h"
#include "formats/JpegMetadata.h"
#include "tests/metadata/MetadataSamples.h"

namespace pixtrel::test {
namespace {

// The block put into a plain JPEG for exiftool to read.
std::map<std::string, std::string> TagsOf(const TempFolder& folder, const Bytes& tiff,
                                          const std::vector<std::string>& args = {}) {
  PictureMetadata metadata;
  metadata.exif = tiff;
  const auto file = folder / "edited.jpg";
  WriteBytes(file, ReplaceJpegMetadata(CjpegFile(folder, 8, 8), metadata));
  return ExiftoolTags(file, args);
}

class TaggedPhotoEdit : public ::testing::TestWithParam<bool> {};

TEST_P(TaggedPhotoEdit, ExiftoolReadsTheEditAndNoGpsByteSurvives) {
  PIXTREL_SKIP_WITHOUT_PROGRAM("exiftool");
  PIXTREL_SKIP_WITHOUT_PROGRAM("cjpeg");
  const bool big = GetParam();
  TempFolder folder;
  const Bytes photo = TaggedPhoto(folder, big, {}, {});
  ASSERT_FALSE(photo.empty());
  const Bytes exif = ReadJpegMetadata(photo).exif;
  ASSERT_TRUE(Contains(exif, LatitudeBytes(big)));
  EXPECT_EQ(ExifOrientation(exif), 6);

  ExifEdit edit;
  edit.width = 640;
  edit.height = 480;
  edit.dropGps = true;
  const Bytes edited = EditExif(exif, edit);
  ASSERT_FALSE(edited.empty());
  EXPECT_EQ(edited.size(), exif.size()) << "edited in place";
  EXPECT_FALSE(Contains(edited, LatitudeBytes(big)));
  auto tags = TagsOf(folder, edited);
  EXPECT_EQ(tags["Make"], "TestMake");
  EXPECT_EQ(tags["Model"], "TestModel");
  EXPECT_EQ(tags["DateTimeOriginal"], "2021:05:06 07:08:09");
  EXPECT_EQ(tags["Orientation"], "1");
  EXPECT_EQ(tags["ExifImageWidth"], "640");
  EXPECT_EQ(tags["ExifImageHeight"], "480");
  EXPECT_EQ(tags["ExifByteOrder"], big ? "MM" : "II");
  EXPECT_FALSE(tags.contains("ThumbnailImage"));
  EXPECT_FALSE(tags.contains("ThumbnailOffset"));
  EXPECT_TRUE(TagsOf(folder, edited, {"-GPS:all"}).empty());
  EXPECT_EQ(ExifOrientation(edited), 1);

  // Keeping GPS and the orientation: exiftool still finds them as written.
  edit.dropGps = false;
  edit.orientationToOne = false;
  tags = TagsOf(folder, EditExif(exif, edit));
  EXPECT_EQ(tags["Orientation"], "6");
  EXPECT_EQ(tags["GPSAltitude"], "4321");
  EXPECT_EQ(tags["GPSLatitude"].substr(0, 7), "48.8566");
  EXPECT_FALSE(tags.contains("ThumbnailImage"));
}

INSTANTIATE_TEST_SUITE_P(ByteOrders, TaggedPhotoEdit, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "MM" : "II"; });

TEST(ExifBlock, HandBuiltBlockEditsInPlace) {
  for (const bool big : {true, false}) {
    SCOPED_TRACE(big ? "MM" : "II");
    const HandExif h = HandBuiltExif(big);
    EXPECT_EQ(ExifOrientation(h.tiff), 6);
    ExifEdit edit;
    edit.width = 70000;  // too wide for the SHORT width: it stays 64
    edit.height = 70001;
    edit.dropGps = true;
    const Bytes out = EditExif(h.tiff, edit);
    ASSERT_EQ(out.size(), h.tiff.size());
    EXPECT_EQ(ExifOrientation(out), 1);
    EXPECT_EQ(TiffNumber(out, h.exifIfd + 2 + 8, 2, big), 64u);
    EXPECT_EQ(TiffNumber(out, h.exifIfd + 14 + 8, 4, big), 70001u);
    // IFD0 lost its GPS entry: four entries, XPComment moved up, the next offset 0 after it.
    EXPECT_EQ(TiffNumber(out, h.ifd0, 2, big), 4u);
    EXPECT_EQ(TiffNumber(out, h.ifd0 + 2 + 3 * 12, 2, big), 0x9C9Cu);
    EXPECT_EQ(TiffNumber(out, h.ifd0 + 2 + 4 * 12, 4, big), 0u);
    EXPECT_EQ(Bytes(out.begin() + h.ifd0 + 2 + 4 * 12, out.begin() + h.ifd0 + 2 + 5 * 12 + 4),
              Bytes(16, 0));
    // The GPS directory, its latitude, IFD1 and the thumbnail are zeros now.
    for (std::size_t at : {h.gpsIfd, h.latitude, h.ifd1, h.thumbnail})
      EXPECT_EQ(Bytes(out.begin() + at, out.begin() + at + 16), Bytes(16, 0)) << at;
    EXPECT_TRUE(Contains(out, {'H', 'a', 'n', 'd', 'M', 'a', 'k', 'e'}));

    edit.width = 640;
    edit.orientationToOne = false;
    const Bytes kept = EditExif(h.tiff, edit);
    EXPECT_EQ(ExifOrientation(kept), 6);
    EXPECT_EQ(TiffNumber(kept, h.exifIfd + 2 + 8, 2, big), 640u);
  }
}

TEST(ExifBlock, ExiftoolReadsTheEntryMovedUpInIfd0) {
  PIXTREL_SKIP_WITHOUT_PROGRAM("exiftool");
  PIXTREL_SKIP_WITHOUT_PROGRAM("cjpeg");
  TempFolder folder;
  ExifEdit edit;
  edit.dropGps = true;
  auto tags = TagsOf(folder, EditExif(HandBuiltExif(false).tiff, edit));
  EXPECT_EQ(tags["XPComment"], "Hi!");
  EXPECT_EQ(tags["Make"], "HandMake");
  EXPECT_FALSE(tags.contains("GPSLatitude"));
}

TEST(ExifBlock, FindsTheTiffHeaderBehindEachFormatsPrefix) {
  const Bytes tiff = HandBuiltExif(true).tiff;
  Bytes exifHeader{'E', 'x', 'i', 'f', 0, 0};
  exifHeader.insert(exifHeader.end(), tiff.begin(), tiff.end());
  Bytes heif{0, 0, 0, 6, 'E', 'x', 'i', 'f', 0, 0};
  heif.insert(heif.end(), tiff.begin(), tiff.end());
  for (const Bytes& block : {tiff, exifHeader, heif}) {
    EXPECT_EQ(TiffPart(block).size(), tiff.size());
    EXPECT_EQ(ExifOrientation(block), 6);
    EXPECT_EQ(EditExif(block, {}).size(), tiff.size());
  }
  const Bytes garbage{'E', 'x', 'i', 'f', 0, 0, 'X', 'X', 0, 42, 0, 0, 0, 8};
  EXPECT_TRUE(TiffPart(garbage).empty());
  EXPECT_EQ(ExifOrientation(garbage), 1);
  EXPECT_TRUE(EditExif(garbage, {}).empty());
  EXPECT_TRUE(EditExif(Bytes(kMaxExifBytes + 1, 0), {}).empty());
}

TEST(ExifBlock, UnsafeStructuresGiveNothing) {
  const bool big = true;
  auto damaged = [&](auto change) {
    HandExif h = HandBuiltExif(big);
    change(h);
    ExifEdit edit;
    edit.dropGps = true;
    return EditExif(h.tiff, edit);
  };
  EXPECT_FALSE(damaged([](HandExif&) {}).empty());
  // IFD1 leading back to IFD0, or to itself: a loop.
  EXPECT_TRUE(damaged([&](HandExif& h) {
                SetTiffNumber(h.tiff, h.ifd1 + 2 + 24, 4, h.ifd0, big);
              }).empty());
  EXPECT_TRUE(damaged([&](HandExif& h) {
                SetTiffNumber(h.tiff, h.ifd1 + 2 + 24, 4, h.ifd1, big);
              }).empty());
  // The GPS pointer naming IFD0, or a place past the end.
  EXPECT_TRUE(damaged([&](HandExif& h) {
                SetTiffNumber(h.tiff, h.ifd0 + 2 + 36 + 8, 4, h.ifd0, big);
              }).empty());
  EXPECT_TRUE(damaged([&](HandExif& h) {
                SetTiffNumber(h.tiff, h.ifd0 + 2 + 36 + 8, 4, 0xFFFFFFF0u, big);
              }).empty());
  // A latitude out of the block: it could not be cleared.
  EXPECT_TRUE(damaged([&](HandExif& h) {
                SetTiffNumber(h.tiff, h.gpsIfd + 2 + 12 + 8, 4, 0xFFFFFFF0u, big);
              }).empty());
  // A second GPS pointer (the XPComment entry retagged).
  EXPECT_TRUE(damaged([&](HandExif& h) {
                SetTiffNumber(h.tiff, h.ifd0 + 2 + 48, 2, 0x8825, big);
              }).empty());
  // An entry count running past the end.
  EXPECT_TRUE(damaged([&](HandExif& h) { SetTiffNumber(h.tiff, h.ifd0, 2, 5000, big); }).empty());

  // A chain leading out of the block holds nothing to clear: the edit goes on, the link goes.
  HandExif h = HandBuiltExif(big);
  const std::size_t next = h.ifd0 + 2 + 5 * 12;
  SetTiffNumber(h.tiff, next, 4, 0xFFFFFFF0u, big);
  const Bytes out = EditExif(h.tiff, {});
  ASSERT_EQ(out.size(), h.tiff.size());
  EXPECT_EQ(TiffNumber(out, next, 4, big), 0u);
  EXPECT_EQ(ExifOrientation(out), 1);
}

}  // namespace
}  // namespace pixtrel::test
