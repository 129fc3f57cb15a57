// JPEG metadata segments: read from exiftool's files, replaced losslessly, ICC profiles split
// into chunks that PIL joins again.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "codecs/jpeg/JpegMetadata.h"
#include "tests/metadata/MetadataSamples.h"

namespace pixtrel::test {
namespace {

// From the first scan's SOS marker to the end: the compressed picture. (An EXIF thumbnail has
// markers of its own, so the segments are walked by their lengths.)
Bytes ScanPart(const Bytes& jpeg) {
  std::size_t at = 2;
  while (at + 4 <= jpeg.size() && jpeg[at + 1] != 0xDA)
    at += 2 + ((jpeg[at + 2] << 8) | jpeg[at + 3]);
  return at < jpeg.size() ? Bytes(jpeg.begin() + at, jpeg.end()) : Bytes{};
}

// The markers after SOI with the first bytes of each segment's data, up to the scan.
std::vector<std::string> SegmentNames(const Bytes& jpeg) {
  std::vector<std::string> names;
  for (std::size_t at = 2; at + 4 <= jpeg.size() && jpeg[at + 1] != 0xDA;) {
    const std::size_t length = (jpeg[at + 2] << 8) | jpeg[at + 3];
    const std::size_t shown = std::min<std::size_t>(4, length - 2);
    names.push_back(std::to_string(jpeg[at + 1]) + ":" +
                    std::string(jpeg.begin() + at + 4, jpeg.begin() + at + 4 + shown));
    at += 2 + length;
  }
  return names;
}

TEST(JpegMetadata, ReadsExiftoolsBlocksAndReplacesThemLosslessly) {
  PIXTREL_SKIP_WITHOUT_PROGRAM("exiftool");
  PIXTREL_SKIP_WITHOUT_PROGRAM("cjpeg");
  TempFolder folder;
  const Bytes icc = AdobeLikeProfile();
  const std::string xmp = "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"/>";
  const Bytes photo = TaggedPhoto(folder, true, icc, Bytes(xmp.begin(), xmp.end()));
  ASSERT_FALSE(photo.empty());
  const PictureMetadata read = ReadJpegMetadata(photo);
  EXPECT_EQ(read.icc, icc);
  EXPECT_TRUE(Contains(read.xmp, Bytes(xmp.begin(), xmp.end() - 2)));
  EXPECT_EQ(Bytes(read.exif.begin(), read.exif.begin() + 4), Bytes({'M', 'M', 0, 42}));

  const Bytes replaced = ReplaceJpegMetadata(photo, read);
  EXPECT_EQ(ScanPart(replaced), ScanPart(photo));
  EXPECT_EQ(SegmentNames(replaced)[0], "224:JFIF");
  EXPECT_EQ(SegmentNames(replaced)[1], "225:Exif");
  EXPECT_EQ(SegmentNames(replaced)[2], "225:http");
  EXPECT_EQ(SegmentNames(replaced)[3], "226:ICC_");
  const PictureMetadata again = ReadJpegMetadata(replaced);
  EXPECT_EQ(again.exif, read.exif);
  EXPECT_EQ(again.xmp, read.xmp);
  EXPECT_EQ(again.icc, read.icc);
  WriteBytes(folder / "replaced.jpg", replaced);
  EXPECT_EQ(ExiftoolTags(folder / "replaced.jpg", {"-Make", "-ProfileDescription"}).size(), 2u);

  const Bytes stripped = ReplaceJpegMetadata(photo, {});
  EXPECT_TRUE(ReadJpegMetadata(stripped).empty());
  EXPECT_EQ(ScanPart(stripped), ScanPart(photo));
  WriteBytes(folder / "stripped.jpg", stripped);
  EXPECT_TRUE(
      ExiftoolTags(folder / "stripped.jpg", {"-EXIF:all", "-XMP:all", "-ICC_Profile:all"}).empty());
}

TEST(JpegMetadata, LargeProfilesAreSplitIntoChunksPilJoins) {
  PIXTREL_SKIP_WITHOUT_PIL();
  PIXTREL_SKIP_WITHOUT_PROGRAM("cjpeg");
  TempFolder folder;
  PictureMetadata metadata;
  metadata.icc.resize(65519 * 2 + 1000);
  std::mt19937 random(7);
  std::generate(metadata.icc.begin(), metadata.icc.end(), [&] { return random() & 0xFF; });
  const Bytes jpeg = ReplaceJpegMetadata(CjpegFile(folder, 8, 8), metadata);
  const auto names = SegmentNames(jpeg);
  EXPECT_EQ(std::count(names.begin(), names.end(), "226:ICC_"), 3);
  WriteBytes(folder / "icc.jpg", jpeg);
  WriteBytes(folder / "expected.icc", metadata.icc);
  const RunResult r = RunPython(
      "import sys\nfrom PIL import Image\n"
      "icc = Image.open(sys.argv[1]).info.get('icc_profile')\n"
      "sys.exit(0 if icc == open(sys.argv[2], 'rb').read() else 1)\n",
      {(folder / "icc.jpg").string(), (folder / "expected.icc").string()});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(ReadJpegMetadata(jpeg).icc, metadata.icc);

  // Chunks out of order are joined in sequence order; a missing or repeated one loses all.
  Bytes swapped = jpeg;
  const std::size_t first = 2 + 18, second = first + 4 + 14 + 65519;
  ASSERT_EQ(swapped[first + 16], 1);
  std::swap(swapped[first + 16], swapped[second + 16]);
  EXPECT_NE(ReadJpegMetadata(swapped).icc, metadata.icc);
  swapped[second + 16] = 2;
  EXPECT_TRUE(ReadJpegMetadata(swapped).icc.empty());

  metadata.icc.resize(65519 * 256);
  EXPECT_EQ(ReplaceJpegMetadata(CjpegFile(folder, 8, 8), metadata), CjpegFile(folder, 8, 8));
}

TEST(JpegMetadata, LeavesMetadataFreeAndForeignDataAlone) {
  PIXTREL_SKIP_WITHOUT_PROGRAM("cjpeg");
  TempFolder folder;
  const Bytes plain = CjpegFile(folder, 16, 16);
  EXPECT_EQ(ReplaceJpegMetadata(plain, {}), plain);
  EXPECT_TRUE(ReadJpegMetadata(plain).empty());
  const Bytes png{0x89, 'P', 'N', 'G', 13, 10, 26, 10};
  EXPECT_EQ(ReplaceJpegMetadata(png, {{1, 2}, {3}, {4}, {5}}), png);

  // Fill bytes before a marker and a standalone marker: both walked over and kept.
  Bytes padded(plain.begin(), plain.begin() + 2);
  padded.insert(padded.end(), {0xFF, 0xFF, 0xFF, 0xD0});
  const Bytes exifSegment{0xFF, 0xE1, 0, 16, 'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8};
  padded.insert(padded.end(), exifSegment.begin(), exifSegment.end());
  padded.insert(padded.end(), plain.begin() + 2, plain.end());
  EXPECT_EQ(ReadJpegMetadata(padded).exif.size(), 8u);
  Bytes expected(plain.begin(), plain.begin() + 2);
  expected.insert(expected.end(), {0xFF, 0xFF, 0xFF, 0xD0});
  expected.insert(expected.end(), plain.begin() + 2, plain.end());
  EXPECT_EQ(ReplaceJpegMetadata(padded, {}), expected);

  // A segment whose length runs past the end: what follows is not looked into, but kept.
  Bytes cut(plain.begin(), plain.begin() + 2);
  cut.insert(cut.end(), {0xFF, 0xE1, 0xFF, 0xF0, 'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42});
  EXPECT_TRUE(ReadJpegMetadata(cut).empty());
  EXPECT_EQ(ReplaceJpegMetadata(cut, {}), cut);
}

}  // namespace
}  // namespace pixtrel::test
