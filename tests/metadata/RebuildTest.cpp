// Files rebuilt from their picture data: the picture decodes exactly as before, every chunk or
// segment that is not picture data (and whatever follows the end) is gone, the blocks given are
// in; damaged files give nothing. And profiles whose header misstates their size.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "codecs/jpeg/JpegImage.h"
#include "codecs/jpeg/JpegMetadata.h"
#include "codecs/jpeg/JpegRebuild.h"
#include "codecs/png/PngFile.h"
#include "codecs/png/PngRebuild.h"
#include "codecs/webp/WebpFile.h"
#include "codecs/webp/WebpRebuild.h"
#include "metadata/ProfileHeader.h"
#include "tests/metadata/MetadataSamples.h"

namespace pixtrel::test {
namespace {

Bytes Text(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

Raster DecodedJpeg(const Bytes& bytes) {
  TJPEGImage picture = JpegFromBytes(bytes);
  return TakeJpegRaster(picture);
}

TEST(Rebuild, AJpegKeepsItsScansAndTheGivenBlocksAlone) {
  PIXTREL_SKIP_WITHOUT_PROGRAM("cjpeg");
  TempFolder folder;
  const Bytes plain = CjpegFile(folder, 24, 16);
  // A comment, an unknown application segment and a second picture after the end.
  Bytes jpeg(plain.begin(), plain.begin() + 2);
  const Bytes comment = Text(std::string("\xFF\xFE\x00\x0Asecret-1", 12));
  const Bytes app9 = Text(std::string("\xFF\xE9\x00\x0Asecret-2", 12));
  jpeg.insert(jpeg.end(), comment.begin(), comment.end());
  jpeg.insert(jpeg.end(), plain.begin() + 2, plain.end() - 2);
  jpeg.insert(jpeg.end(), app9.begin(), app9.end());  // between the tables and the end
  jpeg.insert(jpeg.end(), plain.end() - 2, plain.end());
  jpeg.insert(jpeg.end(), plain.begin(), plain.end());
  const Bytes trailing = Text("secret-3");
  jpeg.insert(jpeg.end(), trailing.begin(), trailing.end());

  PictureMetadata blocks;
  blocks.xmp = Text("<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"/>");
  const auto rebuilt = RebuildJpeg(jpeg, blocks);
  ASSERT_TRUE(rebuilt);
  for (const char* secret : {"secret-1", "secret-2", "secret-3"})
    EXPECT_FALSE(Contains(*rebuilt, Text(secret))) << secret;
  EXPECT_EQ(ReadJpegMetadata(*rebuilt).xmp, blocks.xmp);
  EXPECT_EQ(Bytes(rebuilt->end() - 2, rebuilt->end()), Bytes({0xFF, 0xD9}));
  const Raster before = DecodedJpeg(plain), after = DecodedJpeg(*rebuilt);
  EXPECT_EQ(std::get<Bitmap24>(after).byteSize(), std::get<Bitmap24>(before).byteSize());
  EXPECT_TRUE(std::equal(std::get<Bitmap24>(before).data(),
                         std::get<Bitmap24>(before).data() + std::get<Bitmap24>(before).byteSize(),
                         std::get<Bitmap24>(after).data()));

  // Cut anywhere before its end, the file cannot be rebuilt.
  for (std::size_t size = 0; size + 2 < plain.size(); size += 37)
    EXPECT_FALSE(RebuildJpeg(Bytes(plain.begin(), plain.begin() + size), {})) << size;
}

TEST(Rebuild, APngAndAWebpKeepTheirPictureChunksAlone) {
  const Bitmap24 picture = TestPattern(20, 12, 4);
  PictureMetadata metadata;
  metadata.exif = HandBuiltExif(true).tiff;
  metadata.xmp = Text("<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"/>");
  metadata.icc = SrgbProfile();

  const Bytes png = EncodePng(picture, nullptr, metadata);
  const auto rebuiltPng = RebuildPng(png);
  ASSERT_TRUE(rebuiltPng);
  EXPECT_TRUE(ReadPngBytes(*rebuiltPng).metadata.empty());
  for (const char* type : {"eXIf", "iCCP", "iTXt"})
    EXPECT_FALSE(Contains(*rebuiltPng, Text(type))) << type;
  EXPECT_EQ(std::get<Bitmap24>(ReadPngBytes(*rebuiltPng).raster).width(), 20);
  EXPECT_FALSE(RebuildPng(Bytes(png.begin(), png.end() - 12)));  // no IEND

  const Bytes webp = EncodeWebp(picture, nullptr, metadata, {.lossless = true});
  const auto rebuiltWebp = RebuildWebp(webp);
  ASSERT_TRUE(rebuiltWebp);
  EXPECT_TRUE(ReadWebpBytes(*rebuiltWebp).metadata.empty());
  for (const char* type : {"EXIF", "ICCP", "XMP "})
    EXPECT_FALSE(Contains(*rebuiltWebp, Text(type))) << type;
  const DecodedPicture back = ReadWebpBytes(*rebuiltWebp);
  const Bitmap24& pixels = std::get<Bitmap24>(back.raster);
  EXPECT_TRUE(std::equal(picture.data(), picture.data() + picture.byteSize(), pixels.data()));
  Bytes cut = webp;
  cut.resize(webp.size() / 2);
  EXPECT_FALSE(RebuildWebp(cut));
}

TEST(ProfileHeaderSize, PutRightOnlyWhenItIsWrong) {
  const Bytes good = SrgbProfile();
  ASSERT_EQ(good.size() % 4, 0u);
  EXPECT_EQ(ConsistentProfile(good), good);

  Bytes longer = good;  // two bytes more than the header says
  longer.insert(longer.end(), {0, 0});
  std::fill(longer.begin() + 84, longer.begin() + 100, 0x5A);  // a profile ID
  const Bytes fixed = ConsistentProfile(longer);
  ASSERT_EQ(fixed.size(), good.size() + 4);
  EXPECT_EQ(TiffNumber(fixed, 0, 4, true), fixed.size());
  EXPECT_EQ(Bytes(fixed.begin() + 84, fixed.begin() + 100), Bytes(16, 0));
  EXPECT_TRUE(std::equal(good.begin() + 100, good.end(), fixed.begin() + 100));
  EXPECT_EQ(ConsistentProfile(Bytes(50, 1)), Bytes(50, 1));
}

}  // namespace
}  // namespace pixtrel::test
