// EXIF edits: a photo tagged by exiftool in both byte orders is edited and read back by
// exiftool; hand-built blocks check the cases cameras rarely produce.
#include <gtest/gtest.h>

#include <array>

#include "codecs/jpeg/JpegMetadata.h"
#include "metadata/ExifBlock.h"
#include "metadata/ExifPayload.h"
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
  const Bytes exif = ReadJpegMetadata(TaggedPhoto(folder, big, {}, {})).exif;
  ASSERT_TRUE(Contains(exif, LatitudeBytes(big)));
  EXPECT_EQ(ExifOrientation(exif), 6);

  const Bytes edited = EditExif(exif, {.width = 640, .height = 480, .dropGps = true});
  EXPECT_EQ(edited.size(), exif.size()) << "edited in place";
  EXPECT_FALSE(Contains(edited, LatitudeBytes(big)));
  auto tags = TagsOf(folder, edited);
  const std::map<std::string, std::string> expected = {{"Make", "TestMake"},
                                                       {"Model", "TestModel"},
                                                       {"DateTimeOriginal", "2021:05:06 07:08:09"},
                                                       {"Orientation", "1"},
                                                       {"ExifImageWidth", "640"},
                                                       {"ExifImageHeight", "480"},
                                                       {"ExifByteOrder", big ? "MM" : "II"}};
  for (const auto& [name, value] : expected)
    EXPECT_EQ(tags[name], value) << name;
  EXPECT_FALSE(tags.contains("ThumbnailImage"));
  EXPECT_TRUE(TagsOf(folder, edited, {"-GPS:all"}).empty());

  // Keeping GPS and the orientation: exiftool still finds them as written.
  tags = TagsOf(folder, EditExif(exif, {.orientationToOne = false}));
  EXPECT_EQ(tags["Orientation"], "6");
  EXPECT_EQ(tags["GPSAltitude"], "4321");
  EXPECT_FALSE(tags.contains("ThumbnailImage"));
}

INSTANTIATE_TEST_SUITE_P(ByteOrders, TaggedPhotoEdit, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "MM" : "II"; });

TEST(ExifBlock, HandBuiltBlockEditsInPlace) {
  for (const bool big : {true, false}) {
    SCOPED_TRACE(big ? "MM" : "II");
    const HandExif h = HandBuiltExif(big);
    // 70000 is too wide for the SHORT width: it stays 64; the LONG height takes it.
    const Bytes out = EditExif(h.tiff, {.width = 70000, .height = 70001, .dropGps = true});
    ASSERT_EQ(out.size(), h.tiff.size());
    EXPECT_EQ(ExifOrientation(out), 1);
    EXPECT_EQ(TiffNumber(out, h.exifIfd + 10, 2, big), 64u);
    EXPECT_EQ(TiffNumber(out, h.exifIfd + 22, 4, big), 70001u);
    // IFD0 lost its GPS entry: four entries, XPComment moved up, then the next offset (0 with
    // the thumbnail gone) and the freed entry's zeros.
    EXPECT_EQ(TiffNumber(out, h.ifd0, 2, big), 4u);
    EXPECT_EQ(TiffNumber(out, h.ifd0 + 2 + 3 * 12, 2, big), 0x9C9Cu);
    EXPECT_EQ(Bytes(out.begin() + h.ifd0 + 50, out.begin() + h.ifd0 + 66), Bytes(16, 0));
    for (std::size_t at : {h.gpsIfd, h.latitude, h.ifd1, h.thumbnail})
      EXPECT_EQ(Bytes(out.begin() + at, out.begin() + at + 16), Bytes(16, 0)) << at;
    EXPECT_TRUE(Contains(out, {'H', 'a', 'n', 'd', 'M', 'a', 'k', 'e'}));

    const Bytes kept = EditExif(h.tiff, {.orientationToOne = false, .width = 640, .height = 1});
    EXPECT_EQ(ExifOrientation(kept), 6);
    EXPECT_EQ(TiffNumber(kept, h.exifIfd + 10, 2, big), 640u);
  }
}

TEST(ExifBlock, ExiftoolReadsTheEntryMovedUpInIfd0) {
  PIXTREL_SKIP_WITHOUT_PROGRAM("exiftool");
  PIXTREL_SKIP_WITHOUT_PROGRAM("cjpeg");
  TempFolder folder;
  auto tags = TagsOf(folder, EditExif(HandBuiltExif(false).tiff, {.dropGps = true}));
  EXPECT_EQ(tags["XPComment"], "Hi!");
  EXPECT_EQ(tags["Make"], "HandMake");
  EXPECT_FALSE(tags.contains("GPSLatitude"));
}

TEST(ExifBlock, FindsTheTiffHeaderBehindEachFormatsPrefix) {
  const Bytes tiff = HandBuiltExif(true).tiff;
  for (Bytes block : {Bytes{}, Bytes{'E', 'x', 'i', 'f', 0, 0}, Bytes{0, 0, 0, 2, 0, 0}}) {
    block.insert(block.end(), tiff.begin(), tiff.end());
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

// A HEIF Exif item: the count of bytes to skip, then the TIFF structure, with or without the
// "Exif\0\0" header the count may point at; a count past the end gives nothing.
TEST(ExifBlock, TheTiffPartOfAnOffsetBlock) {
  const Bytes tiff = HandBuiltExif(true).tiff;
  for (Bytes block : {Bytes{0, 0, 0, 0}, Bytes{0, 0, 0, 6, 'E', 'x', 'i', 'f', 0, 0},
                      Bytes{0, 0, 0, 0, 'E', 'x', 'i', 'f', 0, 0}, Bytes{0, 0, 0, 2, 9, 9}}) {
    block.insert(block.end(), tiff.begin(), tiff.end());
    EXPECT_EQ(TiffFromOffsetBlock(block), tiff);
  }
  Bytes past{0, 0, 0xFF, 0xFF};
  past.insert(past.end(), tiff.begin(), tiff.end());
  ASSERT_LT(tiff.size(), 0xFFFFu);
  EXPECT_TRUE(TiffFromOffsetBlock(past).empty());
  EXPECT_FALSE(AfterExifOffset(Bytes{0, 0, 0}));
  EXPECT_EQ(AfterExifOffset(Bytes{0, 0, 0, 1, 7})->size(), 0u);
}

TEST(ExifBlock, UnsafeStructuresGiveNothing) {
  const HandExif h = HandBuiltExif(true);
  const auto at = [](std::size_t offset) { return static_cast<std::uint32_t>(offset); };
  const std::uint32_t ifd1Next = at(h.ifd1 + 26), gpsPointer = at(h.ifd0 + 46);
  // Where, how wide, what: IFD1 leading back to IFD0 or to itself (loops), the GPS pointer naming
  // IFD0, the latitude past the end (it could not be cleared), a second GPS pointer, an entry
  // count running past the end.
  const std::vector<std::array<std::uint32_t, 3>> damages = {
      {ifd1Next, 4, at(h.ifd0)},    {ifd1Next, 4, at(h.ifd1)},
      {gpsPointer, 4, at(h.ifd0)},  {at(h.gpsIfd + 22), 4, 0xFFFFFFF0u},
      {at(h.ifd0 + 50), 2, 0x8825}, {at(h.ifd0), 2, 5000}};
  for (const auto& [offset, size, value] : damages) {
    Bytes tiff = h.tiff;
    SetTiffNumber(tiff, offset, static_cast<int>(size), value, true);
    EXPECT_TRUE(EditExif(tiff, {.dropGps = true}).empty()) << offset << " = " << value;
  }

  // A chain leading out of the block holds nothing to clear: the edit goes on, the link goes.
  Bytes tiff = h.tiff;
  SetTiffNumber(tiff, h.ifd0 + 62, 4, 0xFFFFFFF0u, true);
  const Bytes out = EditExif(tiff, {});
  ASSERT_EQ(out.size(), tiff.size());
  EXPECT_EQ(TiffNumber(out, h.ifd0 + 62, 4, true), 0u);
}

// Phones write GPS pointers with a count of 0 or an offset of 0, or leading past the block;
// readers skip them (exiftool: "Empty GPSInfo data", "Bad GPS directory"), and so the edit drops
// the pointer alone and keeps the rest, in every mode.
TEST(ExifBlock, ABrokenGpsPointerIsDroppedAndTheRestKept) {
  const HandExif h = HandBuiltExif(true);
  const std::size_t gpsEntry = h.ifd0 + 2 + 12 * 3;  // Make, Orientation, Exif, GPS, XPComment
  ASSERT_EQ(TiffNumber(h.tiff, gpsEntry, 2, true), 0x8825u);
  // Where in the entry, how wide, what: count 0, offset 0, offset past the end, type ASCII.
  const std::vector<std::array<std::uint32_t, 3>> breaks = {
      {4, 4, 0}, {8, 4, 0}, {8, 4, 0xFFFFFFF0u}, {2, 2, 2}};
  for (const auto& [field, size, value] : breaks) {
    SCOPED_TRACE(std::to_string(field) + " = " + std::to_string(value));
    Bytes tiff = h.tiff;
    SetTiffNumber(tiff, gpsEntry + field, static_cast<int>(size), value, true);
    for (const bool dropGps : {false, true}) {
      const Bytes out = EditExif(tiff, {.dropGps = dropGps});
      ASSERT_EQ(out.size(), tiff.size());
      EXPECT_EQ(TiffNumber(out, h.ifd0, 2, true), 4u) << "the GPS pointer is gone";
      EXPECT_EQ(TiffNumber(out, gpsEntry, 2, true), 0x9C9Cu);
      EXPECT_TRUE(Contains(out, {'H', 'a', 'n', 'd', 'M', 'a', 'k', 'e'}));
      EXPECT_EQ(TiffNumber(out, h.exifIfd + 22, 4, true), 48u);
      // A count of 0 or a wrong type still names the directory: removing GPS clears it too.
      if (dropGps && field != 8) {
        EXPECT_FALSE(Contains(out, LatitudeBytes(true)));
      }
    }
  }
}

TEST(ExifBlock, ExiftoolFindsNoFaultWhereTheGpsPointerWas) {
  PIXTREL_SKIP_WITHOUT_PROGRAM("exiftool");
  PIXTREL_SKIP_WITHOUT_PROGRAM("cjpeg");
  TempFolder folder;
  const HandExif h = HandBuiltExif(false);
  Bytes tiff = h.tiff;
  SetTiffNumber(tiff, h.ifd0 + 2 + 12 * 3 + 4, 4, 0, false);
  auto tags = TagsOf(folder, tiff, {"-a", "-Warning", "-Make"});
  EXPECT_EQ(tags["Warning"], "[minor] Empty GPSInfo data");
  tags = TagsOf(folder, EditExif(tiff, {}), {"-a", "-Warning", "-Make", "-XPComment"});
  EXPECT_EQ(tags["Make"], "HandMake");
  EXPECT_EQ(tags["XPComment"], "Hi!");
  EXPECT_FALSE(tags.contains("Warning")) << tags["Warning"];
}

}  // namespace
}  // namespace pixtrel::test
