// Damaged and hostile JPEG XL files: refused with the codec's message, never a crash, and headers
// that claim huge pictures are refused before anything is allocated.
#include <gtest/gtest.h>

#include <fstream>

#include "codecs/jxl/JxlFile.h"
#include "core/Errors.h"
#include "tests/heif/HeifTools.h"
#include "tests/jxl/JxlTools.h"

namespace pixtrel::test {
namespace {

// The message of the error the read fails with, or "" when it succeeds.
std::string ReadError(const Bytes& file) {
  try {
    (void)ReadJxlBytes(file, true);
    return "";
  } catch (const Exception& error) {
    return error.what();
  }
}

Bytes Join(Bytes head, const Bytes& tail) {
  head.insert(head.end(), tail.begin(), tail.end());
  return head;
}

bool IsJxlError(const std::string& message) {
  return message.rfind("JPEG XL error: ", 0) == 0;
}

Bytes Container(const Bytes& codestream, const std::vector<Bytes>& boxesBefore = {},
                const std::vector<Bytes>& boxesAfter = {}) {
  Bytes out = Box("JXL ", {0x0D, 0x0A, 0x87, 0x0A});
  const Bytes ftyp = Box("ftyp", {'j', 'x', 'l', ' ', 0, 0, 0, 0, 'j', 'x', 'l', ' '});
  out.insert(out.end(), ftyp.begin(), ftyp.end());
  for (const Bytes& box : boxesBefore)
    out.insert(out.end(), box.begin(), box.end());
  const Bytes jxlc = Box("jxlc", codestream);
  out.insert(out.end(), jxlc.begin(), jxlc.end());
  for (const Bytes& box : boxesAfter)
    out.insert(out.end(), box.begin(), box.end());
  return out;
}

TEST(JxlHostile, CutOffFilesFailWithTheCodecsMessage) {
  const Bitmap24 source = TestPattern(300, 200, 3);
  const auto alpha = AlphaRamp(300, 200);
  JxlSettings lossless;
  lossless.lossless = true;
  PictureMetadata metadata;
  metadata.xmp = Bytes(3000, ' ');
  for (const Bytes& file :
       {EncodeJxl(source, &alpha, {}, {}), EncodeJxl(source, nullptr, metadata, lossless)}) {
    for (std::size_t length = 0; length < file.size(); length += 1 + length / 16) {
      const std::string message = ReadError(Bytes(file.begin(), file.begin() + length));
      EXPECT_TRUE(IsJxlError(message)) << length << " of " << file.size() << ": " << message;
    }
    EXPECT_EQ(ReadError(file), "");
  }
}

TEST(JxlHostile, HugeClaimedSizesAreRefusedBeforeAllocation) {
  const long before = PeakMemoryKiB();
  const std::pair<Bytes, std::string> cases[] = {
      {CodestreamClaiming(70000, 10), "Picture too large: 70000 x 10 pixels (a side may have"},
      {CodestreamClaiming(60000, 60000), "Picture too large: 60000 x 60000 pixels (at most"},
      {CodestreamClaiming(16000, 16000), "Picture too large for its data: 16000 x 16000"},
      {Container(CodestreamClaiming(16000, 16000)), "Picture too large for its data"},
  };
  for (const auto& [file, message] : cases) {
    EXPECT_EQ(ReadError(file).rfind(message, 0), 0u) << ReadError(file);
    // The probe only reports the claim.
    ASSERT_TRUE(ProbeJxl(file).has_value());
  }
  EXPECT_EQ(ProbeJxl(cases[1].first)->width, 60000);
  EXPECT_LT(PeakMemoryKiB() - before, 100 * 1024);
}

TEST(JxlHostile, GarbageBoxesDoNotHurt) {
  JxlSettings lossless;
  lossless.lossless = true;
  const Bitmap24 source = TestPattern(20, 10, 2);
  const Bytes codestream = EncodeJxl(source, nullptr, {}, lossless);
  ASSERT_EQ(codestream[0], 0xFF);  // bare: no metadata given
  const Bytes junk(100, 0xA5);
  const std::vector<std::pair<std::string, Bytes>> files = {
      {"exif box without the offset", Container(codestream, {Box("Exif", {1, 2})})},
      {"exif offset past its end", Container(codestream, {Box("Exif", {0, 0, 9, 0, 'M', 'M'})})},
      {"brotli boxes of junk",
       Container(codestream, {Box("brob", Join({'E', 'x', 'i', 'f'}, junk))},
                 {Box("brob", Join({'x', 'm', 'l', ' '}, junk))})},
      {"box claiming 2^40 bytes", Container(codestream, {}, {Box("xml ", junk, 1ull << 40)})},
      {"box shorter than its header", Container(codestream, {Box("xml ", {}, 4)})},
      {"unknown boxes", Container(codestream, {Box("abcd", junk)}, {Box("wxyz", junk)})},
  };
  for (const auto& [name, file] : files) {
    const long before = PeakMemoryKiB();
    const std::string message = ReadError(file);
    EXPECT_TRUE(message.empty() || IsJxlError(message)) << name << ": " << message;
    if (message.empty()) {
      const JxlPicture read = ReadJxlBytes(file, true);
      EXPECT_EQ(MaxDifference(ToBitmap24(read.picture.raster), source), 0) << name;
      EXPECT_TRUE(read.picture.metadata.exif.empty()) << name;
    }
    EXPECT_LT(PeakMemoryKiB() - before, 50 * 1024) << name;
  }
}

// A metadata box over 4 MiB is left out, like such blocks of the other formats; the picture is
// read all the same.
TEST(JxlHostile, OversizedMetadataBoxesAreLeftOut) {
  const Bitmap24 source = TestPattern(20, 10, 2);
  PictureMetadata metadata;
  metadata.xmp = Bytes((std::size_t{4} << 20) + 1, 'x');
  metadata.exif = Bytes(std::size_t{3} << 20, 'e');
  metadata.exif[0] = 'I', metadata.exif[1] = 'I', metadata.exif[2] = '*', metadata.exif[3] = 0;
  const JxlPicture read = ReadJxlBytes(EncodeJxl(source, nullptr, metadata, {}), true);
  EXPECT_TRUE(read.picture.metadata.xmp.empty());
  EXPECT_EQ(read.picture.metadata.exif, metadata.exif);
  EXPECT_EQ(RasterWidth(read.picture.raster), 20);
}

// A small Brotli-compressed box that would unpack to gigabytes fails the file quickly.
TEST(JxlHostile, CompressedBoxBombIsStopped) {
  PIXTREL_SKIP_WITHOUT_PROGRAM("brotli");
  TempFolder folder;
  const auto zeros = folder / "zeros", packed = folder / "zeros.br";
  {
    // 128 MiB of zeros, written sparse.
    std::ofstream out(zeros, std::ios::binary);
    out.seekp((std::int64_t{128} << 20) - 1);
    out.put('\0');
  }
  ASSERT_EQ(RunProgram({"brotli", "-q", "5", "-o", packed.string(), zeros.string()}).exitCode, 0);
  std::filesystem::remove(zeros);
  const Bytes compressed = FileContents(packed);
  ASSERT_LT(compressed.size(), 1u << 20);
  const Bytes payload = Join({'x', 'm', 'l', ' '}, compressed);
  JxlSettings lossless;
  lossless.lossless = true;
  const Bytes file =
      Container(EncodeJxl(TestPattern(20, 10, 2), nullptr, {}, lossless), {Box("brob", payload)});
  const long before = PeakMemoryKiB();
  EXPECT_EQ(ReadError(file), "JPEG XL error: a metadata box is too large");
  EXPECT_LT(PeakMemoryKiB() - before, 50 * 1024);
}

}  // namespace
}  // namespace pixtrel::test
