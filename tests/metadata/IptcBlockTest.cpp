// The IPTC block of JPEG files, written by exiftool as agencies' tools write it, kept whole or
// without its location, and read back by exiftool.
#include <gtest/gtest.h>

#include <cstring>

#include "codecs/jpeg/JpegMetadata.h"
#include "metadata/IptcBlock.h"
#include "tests/metadata/MetadataSamples.h"

namespace pixtrel::test {
namespace {

class IptcBlock : public ::testing::Test {
 protected:
  void SetUp() override {
    PIXTREL_SKIP_WITHOUT_PROGRAM("exiftool");
    PIXTREL_SKIP_WITHOUT_PROGRAM("cjpeg");
    WriteBytes(folder / "agency.jpg", CjpegFile(folder, 16, 16));
    ASSERT_EQ(RunProgram({"exiftool", "-q", "-overwrite_original", "-IPTC:ObjectName=Harbour",
                          "-IPTC:Caption-Abstract=Boats at dawn", "-IPTC:Keywords=boat",
                          "-IPTC:Keywords=dawn", "-IPTC:CopyrightNotice=Korvane Agency",
                          "-IPTC:City=Piran", "-IPTC:Sub-location=Tartini Square",
                          "-IPTC:Province-State=Primorska", "-IPTC:Country-PrimaryLocationCode=SVN",
                          "-IPTC:Country-PrimaryLocationName=Slovenia",
                          "-Photoshop:CopyrightFlag=True", (folder / "agency.jpg").string()})
                  .exitCode,
              0);
    resources = ReadJpegMetadata(FileContents(folder / "agency.jpg")).iptc;
    ASSERT_FALSE(resources.empty());
  }
  std::map<std::string, std::string> Read(const Bytes& iptc) {
    PictureMetadata metadata;
    metadata.iptc = iptc;
    WriteBytes(folder / "out.jpg", ReplaceJpegMetadata(CjpegFile(folder, 8, 8), metadata));
    return ExiftoolTags(folder / "out.jpg", {"-IPTC:all", "-Photoshop:all", "-Warning"});
  }
  TempFolder folder;
  Bytes resources;
};

TEST_F(IptcBlock, KeptWholeOrWithoutWhereThePhotoWasTaken) {
  auto tags = Read(EditIptc(resources, false));
  EXPECT_EQ(tags["Caption-Abstract"], "Boats at dawn");
  EXPECT_EQ(tags["Keywords"], "boat, dawn");
  EXPECT_EQ(tags["City"], "Piran");
  EXPECT_EQ(tags["Country-PrimaryLocationCode"], "SVN");
  EXPECT_EQ(tags["CopyrightFlag"], "1");
  EXPECT_FALSE(tags.contains("Warning")) << tags["Warning"];

  const Bytes edited = EditIptc(resources, true);
  tags = Read(edited);
  EXPECT_EQ(tags["ObjectName"], "Harbour");
  EXPECT_EQ(tags["Caption-Abstract"], "Boats at dawn");
  EXPECT_EQ(tags["CopyrightNotice"], "Korvane Agency");
  for (const char* gone : {"City", "Sub-location", "Province-State", "Country-PrimaryLocationCode",
                           "Country-PrimaryLocationName"})
    EXPECT_FALSE(tags.contains(gone)) << gone;
  for (const char* text : {"Piran", "Tartini", "Primorska", "SVN", "Slovenia"})
    EXPECT_FALSE(Contains(edited, Bytes(text, text + std::strlen(text)))) << text;
  EXPECT_FALSE(tags.contains("Warning")) << tags["Warning"];
}

TEST_F(IptcBlock, DamageLeavesItOut) {
  // Every cut of the resources either gives nothing or a block exiftool reads without fault.
  for (std::size_t size = 0; size < resources.size(); size += 7) {
    const Bytes cut(resources.begin(), resources.begin() + static_cast<std::ptrdiff_t>(size));
    const Bytes edited = EditIptc(cut, true);
    if (edited.empty()) continue;
    EXPECT_FALSE(Contains(edited, {'P', 'i', 'r', 'a', 'n'})) << size;
  }
  Bytes wrongSize = resources;
  // The first resource's size, past the end.
  const std::size_t sizeAt = 4 + 2 + 2;
  wrongSize[sizeAt] = 0x7F;
  EXPECT_TRUE(EditIptc(wrongSize, false).empty());
  EXPECT_TRUE(EditIptc(Bytes(100, 0x1C), false).empty());
}

}  // namespace
}  // namespace pixtrel::test
