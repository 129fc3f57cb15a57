// Damaged metadata: every truncation and many random byte flips of a real EXIF block, XMP
// packet and JPEG header. Nothing crashes (these run under ASan too); an edit either gives
// nothing or something exiftool reads, and a cut-off block never lets GPS data through.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <sstream>
#include <string>

#include "codecs/jpeg/JpegMetadata.h"
#include "metadata/ExifBlock.h"
#include "metadata/XmpPacket.h"
#include "tests/metadata/MetadataSamples.h"

namespace pixtrel::test {
namespace {

const std::string kPacket =
    "<?xpacket begin=\"\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
    "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF "
    "xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
    " <rdf:Description rdf:about=\"\" xmlns:exif=\"http://ns.adobe.com/exif/1.0/\"\n"
    "   xmlns:tiff=\"http://ns.adobe.com/tiff/1.0/\" exif:GPSLongitude=\"2,21.132E\">\n"
    "  <exif:GPSLatitude>48,51.396N</exif:GPSLatitude>\n"
    "  <tiff:Orientation>6</tiff:Orientation>\n"
    " </rdf:Description>\n"
    "</rdf:RDF></x:xmpmeta>\n<?xpacket end=\"w\"?>";

// Every prefix of the block, then `flips` copies with one to four random bytes changed.
std::vector<Bytes> Damaged(const Bytes& block, int flips, std::vector<bool>& truncated) {
  std::vector<Bytes> variants;
  for (std::size_t n = 0; n < block.size(); ++n) {
    variants.emplace_back(block.begin(), block.begin() + n);
    truncated.push_back(true);
  }
  std::mt19937 random(42);
  for (int i = 0; i < flips; ++i) {
    Bytes copy = block;
    for (int k = 1 + static_cast<int>(random() % 4); k > 0; --k)
      copy[random() % copy.size()] ^= static_cast<std::uint8_t>(1 + random() % 255);
    variants.push_back(std::move(copy));
    truncated.push_back(false);
  }
  return variants;
}

class DamagedMetadata : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HaveProgram("exiftool") || !HaveProgram("cjpeg"))
      PIXTREL_SKIP_MISSING_TOOL() << "exiftool and cjpeg";
    photo_ = TaggedPhoto(folder_, true, AdobeLikeProfile(), Bytes(kPacket.begin(), kPacket.end()));
    ASSERT_FALSE(photo_.empty());
    base_ = CjpegFile(folder_, 8, 8);
    std::filesystem::create_directory(folder_ / "out");
  }

  // A damaged block before and after its edit, each in a JPEG file for exiftool.
  void WritePair(std::size_t i, const PictureMetadata& before, const PictureMetadata& after) {
    const std::string name = std::to_string(i) + ".jpg";
    WriteBytes(folder_ / "out" / ("in-" + name), ReplaceJpegMetadata(base_, before));
    WriteBytes(folder_ / "out" / ("out-" + name), ReplaceJpegMetadata(base_, after));
  }

  // The edited files exiftool warns about or fails on when it read the unedited one without
  // complaint: an edit must not spoil a block exiftool could read.
  std::vector<std::string> ComplaintsAddedByEdits() const {
    const RunResult r = RunProgram(
        {"exiftool", "-q", "-T", "-FileName", "-Warning", "-Error", (folder_ / "out").string()});
    std::map<std::string, std::string> complaints;
    std::stringstream lines(r.out);
    for (std::string line; std::getline(lines, line);) {
      const auto tab = line.find('\t');
      if (tab != std::string::npos) complaints[line.substr(0, tab)] = line.substr(tab + 1);
    }
    std::vector<std::string> added;
    for (const auto& [name, complaint] : complaints) {
      if (name.starts_with("out-") && complaint != "-\t-" &&
          complaints["in-" + name.substr(4)] == "-\t-")
        added.push_back(name + ": " + complaint);
    }
    return added;
  }

  TempFolder folder_;
  Bytes photo_;
  Bytes base_;
};

TEST_F(DamagedMetadata, ExifEditsGiveNothingOrReadableBlocks) {
  const Bytes exif = ReadJpegMetadata(photo_).exif;
  std::vector<bool> truncated;
  const std::vector<Bytes> variants = Damaged(exif, 3000, truncated);
  ExifEdit edit;
  edit.dropGps = true;
  int written = 0;
  for (std::size_t i = 0; i < variants.size(); ++i) {
    const int orientation = ExifOrientation(variants[i]);
    EXPECT_TRUE(orientation >= 1 && orientation <= 8);
    const Bytes edited = EditExif(variants[i], edit);
    if (edited.empty()) continue;
    if (truncated[i]) {
      EXPECT_FALSE(Contains(edited, LatitudeBytes(true))) << i;
    }
    if (i % 7 == 0 && written++ < 300)
      WritePair(i, {variants[i], {}, {}, {}}, {edited, {}, {}, {}});
  }
  EXPECT_GT(written, 20);
  EXPECT_EQ(ComplaintsAddedByEdits(), std::vector<std::string>{});
}

TEST_F(DamagedMetadata, XmpEditsGiveNothingOrReadablePackets) {
  const Bytes xmp = ReadJpegMetadata(photo_).xmp;
  ASSERT_FALSE(xmp.empty());
  std::vector<bool> truncated;
  const std::vector<Bytes> variants = Damaged(xmp, 3000, truncated);
  const Bytes latitude{'4', '8', ',', '5', '1'};
  int written = 0;
  for (std::size_t i = 0; i < variants.size(); ++i) {
    const Bytes edited = EditXmp(variants[i], {true, true});
    if (edited.empty()) continue;
    if (truncated[i]) {
      EXPECT_FALSE(Contains(edited, latitude)) << i;
    }
    if (i % 5 == 0 && written++ < 300)
      WritePair(i, {{}, {}, variants[i], {}}, {{}, {}, edited, {}});
  }
  EXPECT_GT(written, 20);
  EXPECT_EQ(ComplaintsAddedByEdits(), std::vector<std::string>{});
}

TEST_F(DamagedMetadata, JpegHeadersAreWalkedSafely) {
  std::vector<bool> truncated;
  for (const Bytes& jpeg : Damaged(photo_, 3000, truncated)) {
    const PictureMetadata found = ReadJpegMetadata(jpeg);
    const Bytes stripped = ReplaceJpegMetadata(jpeg, {});
    EXPECT_TRUE(ReadJpegMetadata(stripped).empty());
    EXPECT_LE(stripped.size(), jpeg.size());
    const Bytes again = ReplaceJpegMetadata(stripped, found);
    EXPECT_EQ(ReadJpegMetadata(again).exif.empty(), TiffPart(found.exif).empty());
  }
}

}  // namespace
}  // namespace pixtrel::test
