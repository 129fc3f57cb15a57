// What each metadata mode gives each kind of output: the blocks carried and whether the colours
// are converted to sRGB first.
#include <gtest/gtest.h>

#include <string>

#include "metadata/ExifBlock.h"
#include "metadata/MetadataPlan.h"
#include "tests/metadata/MetadataSamples.h"

namespace pixtrel::test {
namespace {

const std::string kXmp =
    "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF "
    "xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"><rdf:Description "
    "xmlns:tiff=\"http://ns.adobe.com/tiff/1.0/\" xmlns:exif=\"http://ns.adobe.com/exif/1.0/\" "
    "tiff:Orientation=\"6\" exif:GPSLatitude=\"48,51.396N\"/></rdf:RDF></x:xmpmeta>";

const OutputTarget kColourJpeg{true, false, 640, 480, true};
const OutputTarget kGreyJpeg{true, true, 640, 480, true};
const OutputTarget kGifOrBmp{false, false, 640, 480, true};

PictureMetadata Source(const Bytes& icc) {
  return PictureMetadata{HandBuiltExif(true).tiff, icc, Bytes(kXmp.begin(), kXmp.end()), {}};
}

// "carry", "convert" or "-" (neither) for a profile in a mode and target.
std::string ProfileOutcome(const Bytes& icc, MetadataMode mode, const OutputTarget& target) {
  const MetadataPlan plan = PlanOutputMetadata(Source(icc), mode, target);
  EXPECT_FALSE(!plan.blocks.icc.empty() && plan.convertToSrgb);
  if (!plan.blocks.icc.empty()) return plan.blocks.icc == icc ? "carry" : "changed";
  return plan.convertToSrgb ? "convert" : "-";
}

TEST(MetadataPlan, ProfilesByModeAndTarget) {
  struct Row {
    MetadataMode mode;
    OutputTarget target;
    const char* name;
    std::vector<std::string> outcomes;  // none, sRGB, Adobe, grey, damaged, CMYK
  };
  const std::vector<Row> rows = {
      {MetadataMode::Keep,
       kColourJpeg,
       "keep colour",
       {"-", "carry", "carry", "convert", "-", "-"}},
      {MetadataMode::Keep, kGreyJpeg, "keep grey", {"-", "-", "-", "carry", "-", "-"}},
      {MetadataMode::Keep, kGifOrBmp, "keep gif", {"-", "-", "convert", "convert", "-", "-"}},
      {MetadataMode::StripGps,
       kColourJpeg,
       "gps colour",
       {"-", "carry", "carry", "convert", "-", "-"}},
      {MetadataMode::StripGps, kGreyJpeg, "gps grey", {"-", "-", "-", "carry", "-", "-"}},
      {MetadataMode::StripGps, kGifOrBmp, "gps gif", {"-", "-", "convert", "convert", "-", "-"}},
      {MetadataMode::Strip,
       kColourJpeg,
       "strip colour",
       {"-", "-", "convert", "convert", "-", "-"}},
      {MetadataMode::Strip, kGreyJpeg, "strip grey", {"-", "-", "convert", "convert", "-", "-"}},
      {MetadataMode::Strip, kGifOrBmp, "strip gif", {"-", "-", "convert", "convert", "-", "-"}},
  };
  const std::vector<Bytes> profiles = {
      {}, SrgbProfile(), AdobeLikeProfile(), GreyProfile(), Bytes(400, 9), CmykProfile()};
  for (const Row& row : rows) {
    for (std::size_t i = 0; i < profiles.size(); ++i)
      EXPECT_EQ(ProfileOutcome(profiles[i], row.mode, row.target), row.outcomes[i])
          << row.name << ", profile " << i;
  }
}

TEST(MetadataPlan, ExifAndXmpByMode) {
  const HandExif hand = HandBuiltExif(true);
  const Bytes latitude = LatitudeBytes(true);
  const Bytes gpsText{'G', 'P', 'S', 'L', 'a', 't'};
  const Bytes uprightText{'O', 'r', 'i', 'e', 'n', 't', 'a', 't', 'i', 'o', 'n', '=', '"', '1'};

  MetadataPlan plan = PlanOutputMetadata(Source({}), MetadataMode::Keep, kColourJpeg);
  EXPECT_EQ(ExifOrientation(plan.blocks.exif), 1);
  EXPECT_EQ(TiffNumber(plan.blocks.exif, hand.exifIfd + 10, 2, true), 640u);
  EXPECT_TRUE(Contains(plan.blocks.exif, latitude));
  EXPECT_FALSE(Contains(plan.blocks.exif, Bytes(16, 0xAB))) << "the thumbnail is dropped";
  EXPECT_TRUE(Contains(plan.blocks.xmp, gpsText));
  EXPECT_TRUE(Contains(plan.blocks.xmp, uprightText));

  plan = PlanOutputMetadata(Source({}), MetadataMode::StripGps, kColourJpeg);
  EXPECT_EQ(ExifOrientation(plan.blocks.exif), 1);
  EXPECT_FALSE(Contains(plan.blocks.exif, latitude));
  EXPECT_FALSE(Contains(plan.blocks.xmp, gpsText));

  OutputTarget asStored = kColourJpeg;
  asStored.pixelsUpright = false;
  plan = PlanOutputMetadata(Source({}), MetadataMode::Keep, asStored);
  EXPECT_EQ(ExifOrientation(plan.blocks.exif), 6);
  EXPECT_FALSE(Contains(plan.blocks.xmp, uprightText));

  for (const auto& [mode, target] :
       {std::pair{MetadataMode::Strip, kColourJpeg}, std::pair{MetadataMode::Keep, kGifOrBmp}})
    EXPECT_TRUE(PlanOutputMetadata(Source(SrgbProfile()), mode, target).blocks.empty());

  PictureMetadata damaged{Bytes(50, 'M'), {}, Bytes(kXmp.begin(), kXmp.end() - 5), {}};
  EXPECT_TRUE(PlanOutputMetadata(damaged, MetadataMode::Keep, kColourJpeg).blocks.empty());
}

}  // namespace
}  // namespace pixtrel::test
