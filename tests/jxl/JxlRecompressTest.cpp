// JPEG files recompressed losslessly into JPEG XL: djxl rebuilds the original JPEG bit for bit.
#include <gtest/gtest.h>

#include "codecs/jpeg/JpegProbe.h"
#include "codecs/jxl/JxlFile.h"
#include "core/Errors.h"
#include "tests/heif/HeifTools.h"
#include "tests/jxl/JxlTools.h"
#include "tests/metadata/MetadataSamples.h"

namespace pixtrel::test {
namespace {

Bytes CjpegWith(const TempFolder& folder, const std::vector<std::string>& options) {
  const auto ppm = folder / "source.ppm", jpg = folder / "cjpeg.jpg";
  const Bitmap24 picture = TestPattern(83, 61, 11);
  Bytes bytes;
  const std::string header = "P6\n83 61\n255\n";
  bytes.assign(header.begin(), header.end());
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) {
      const std::uint8_t* p = picture.row(y) + 3 * x;
      bytes.insert(bytes.end(), {p[2], p[1], p[0]});
    }
  }
  WriteBytes(ppm, bytes);
  std::vector<std::string> argv{"cjpeg"};
  argv.insert(argv.end(), options.begin(), options.end());
  argv.insert(argv.end(), {"-outfile", jpg.string(), ppm.string()});
  return RunProgram(argv).exitCode == 0 ? FileContents(jpg) : Bytes{};
}

TEST(JxlRecompress, DjxlRebuildsTheJpegBitForBit) {
  PIXTREL_SKIP_WITHOUT_JXL_TOOLS();
  PIXTREL_SKIP_WITHOUT_PROGRAM("cjpeg");
  PIXTREL_SKIP_WITHOUT_PROGRAM("exiftool");
  TempFolder folder;
  const std::string xmp = "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"></x:xmpmeta>";
  const std::vector<std::pair<std::string, Bytes>> jpegs = {
      {"baseline", CjpegWith(folder, {"-quality", "85"})},
      {"progressive", CjpegWith(folder, {"-progressive", "-quality", "70"})},
      {"grey", CjpegWith(folder, {"-grayscale"})},
      {"4:4:4 with restarts", CjpegWith(folder, {"-sample", "1x1", "-restart", "2"})},
      {"tagged, profile and XMP",
       TaggedPhoto(folder, true, AdobeLikeProfile(), Bytes(xmp.begin(), xmp.end()))},
  };
  for (const auto& [name, jpeg] : jpegs) {
    ASSERT_FALSE(jpeg.empty()) << name;
    const Bytes jxl = RecompressJpeg(jpeg, ProbeJpeg(jpeg).value());
    std::string log;
    EXPECT_EQ(Djxl(folder, jxl, "back.jpg", &log), jpeg) << name << ": " << log;
    // Read as a picture, it gives the pixels djxl decodes.
    EXPECT_LE(MaxDifference(ToBitmap24(ReadJxlBytes(jxl, true).picture.raster),
                            ToBitmap24(DjxlPicture(folder, jxl).raster)),
              1)
        << name;
  }
}

TEST(JxlRecompress, RefusesWhatIsNoJpeg) {
  const Bitmap24 picture = TestPattern(8, 8, 1);
  for (const Bytes& bytes : {Bytes{}, Bytes{0x89, 'P', 'N', 'G'}, Bytes{0xFF, 0xD8, 0xFF}}) {
    try {
      (void)RecompressJpeg(bytes, PictureSize{8, 8});
      ADD_FAILURE() << bytes.size() << " bytes recompressed";
    } catch (const Exception& error) {
      EXPECT_EQ(std::string(error.what()).rfind("JPEG XL error: ", 0), 0u) << error.what();
    }
  }
}

// The JPEG's frame header is held to the limits before libjxl allocates its coefficients.
TEST(JxlRecompress, AHugeClaimedJpegIsRefusedBeforeAllocation) {
  Bytes jpeg = {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x11, 0x08, 0xFF, 0xF0, 0xFF, 0xF0,
                0x03, 0x01, 0x22, 0x00, 0x02, 0x11, 0x01, 0x03, 0x11, 0x01};
  jpeg.resize(400, 0);
  const long before = PeakMemoryKiB();
  try {
    (void)RecompressJpeg(jpeg, ProbeJpeg(jpeg).value());
    ADD_FAILURE() << "recompressed";
  } catch (const Exception& error) {
    EXPECT_EQ(std::string(error.what()).rfind("Picture too large", 0), 0u) << error.what();
  }
  EXPECT_LT(PeakMemoryKiB() - before, 100 * 1024);
}

}  // namespace
}  // namespace pixtrel::test
