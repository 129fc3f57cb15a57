// AVIF and HEIC written through pixtrel-batch (convert, resize-avif/resize-heic, rotate, process
// with --max-size), checked by independent readers: avifdec and heif-convert decode the files to
// PNG, PIL reads those, heif-info dumps the boxes and exiftool reads the metadata.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "tests/heif/HeifTools.h"
#include "tests/jxl/JxlTools.h"
#include "tests/metadata/MetadataSamples.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;

namespace pixtrel::test {
namespace {

class HeifWriteTool : public ::testing::Test {
 protected:
  void SetUp() override {
    PIXTREL_SKIP_WITHOUT_ENCODER("heif-convert");
    PIXTREL_SKIP_WITHOUT_ENCODER("heif-info");
    PIXTREL_SKIP_WITHOUT_ENCODER("avifdec");
    PIXTREL_SKIP_WITHOUT_PIL();
    PIXTREL_SKIP_WITHOUT_PROGRAM("convert");
    ASSERT_EQ(RunProgram({"convert", "-seed", "7", "-size", "320x200", "plasma:fractal", "-blur",
                          "0x1", "-depth", "8", (folder / "smooth.png").string()})
                  .exitCode,
              0);
  }

  RunResult Batch(std::vector<std::string> args) {
    if (args[0] == "process") return RunBatchTool(args, folder.path());
    args.insert(args.end() - 1, {"-C", folder.path().string()});
    return RunBatchTool(args);
  }

  // The file decoded to PNG by the independent reader of its format (avifdec for AVIF,
  // heif-convert for HEIC; heif-convert for both when `heifConvert`), read by PIL.
  std::optional<RgbaPicture> Decoded(const std::string& name, bool heifConvert = false) {
    const fs::path in = folder / name, out = folder / (name + ".decoded.png");
    fs::remove(out);
    const bool avif = name.ends_with(".avif") && !heifConvert;
    const RunResult r = avif ? RunProgram({"avifdec", in.string(), out.string()})
                             : RunProgram({"heif-convert", in.string(), out.string()});
    if (r.exitCode != 0 || !fs::exists(out)) {
      ADD_FAILURE() << name << " not decoded: " << r.out << r.err;
      return std::nullopt;
    }
    return PilRgba(out);
  }

  std::string Boxes(const std::string& name) {
    return RunProgram({"heif-info", "-d", (folder / name).string()}).out;
  }

  TempFolder folder;
};

TEST_F(HeifWriteTool, ConvertWritesBothFormatsAtTheSaveQualityWithAlpha) {
  ASSERT_EQ(RunProgram({"convert", (folder / "smooth.png").string(), "-alpha", "set", "-channel",
                        "A", "-fx", "i/w", "+channel", (folder / "clear.png").string()})
                .exitCode,
            0);
  const auto source = PilRgba(folder / "clear.png");
  ASSERT_TRUE(source);
  ASSERT_EQ(Batch({"convert", "--to", "heic", "--jpeg-quality", "90", "clear.png"}).exitCode, 0);
  const auto back = Decoded("clear.png.heic");
  ASSERT_TRUE(back);
  EXPECT_EQ(back->width, 320);
  EXPECT_EQ(back->height, 200);
  EXPECT_EQ(back->mode, "RGBA");
  EXPECT_LE(back->at(0, 0)[3], 2);  // transparent on the left, opaque on the right
  EXPECT_GE(back->at(319, 0)[3], 250);
  EXPECT_LT(Compare(*back, *source).mean, 2.0);
  const std::string boxes = Boxes("clear.png.heic");
  EXPECT_NE(boxes.find("bits_per_channel: 8,8,8"), std::string::npos) << boxes;
  // heif-convert reads our AVIF too.
  ASSERT_EQ(Batch({"convert", "--to", "avif", "clear.png"}).exitCode, 0);
  const auto avif = Decoded("clear.png.avif", true);
  ASSERT_TRUE(avif);
  EXPECT_EQ(avif->mode, "RGBA");
}

TEST_F(HeifWriteTool, LosslessSourcesGiveExactAvifsLossyOnesALossyOne) {
  ASSERT_EQ(Batch({"convert", "--to", "avif", "smooth.png"}).exitCode, 0);
  const auto back = Decoded("smooth.png.avif");
  const auto source = PilRgba(folder / "smooth.png");
  ASSERT_TRUE(back && source);
  EXPECT_EQ(Compare(*back, *source).largest, 0);
  // A lossless AVIF turned stays lossless: every pixel lands exactly where the turn puts it.
  ASSERT_EQ(Batch({"rotate", "--turn", "right", "smooth.png.avif"}).exitCode, 0);
  const auto turned = Decoded("right-smooth.png.avif");
  ASSERT_TRUE(turned);
  ASSERT_EQ(turned->width, 200);
  int moved = 0;
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 320; ++x)
      moved += std::memcmp(turned->at(199 - y, x), source->at(x, y), 4) != 0;
  EXPECT_EQ(moved, 0);
  ASSERT_EQ(RunProgram({"convert", (folder / "smooth.png").string(), "-quality", "90",
                        (folder / "photo.jpg").string()})
                .exitCode,
            0);
  ASSERT_EQ(Batch({"convert", "--to", "avif", "photo.jpg"}).exitCode, 0);
  EXPECT_LT(fs::file_size(folder / "photo.jpg.avif"), fs::file_size(folder / "smooth.png.avif"));
  const auto lossy = Decoded("photo.jpg.avif");
  const auto jpeg = PilRgba(folder / "photo.jpg");
  ASSERT_TRUE(lossy && jpeg);
  EXPECT_LT(Compare(*lossy, *jpeg).mean, 2.0);
  EXPECT_GT(Compare(*lossy, *jpeg).largest, 0);
}

// What avifdec says of the file: its depth, chroma layout, range and colour description.
std::string AvifInfo(const fs::path& file) {
  return RunProgram({"avifdec", "--info", file.string()}).out;
}

TEST_F(HeifWriteTool, AvifdecSeesTheLayoutsAndColoursWritten) {
  ASSERT_EQ(RunProgram({"convert", (folder / "smooth.png").string(), "-quality", "92",
                        (folder / "photo.jpg").string()})
                .exitCode,
            0);
  ASSERT_EQ(Batch({"convert", "--to", "avif", "photo.jpg"}).exitCode, 0);
  ASSERT_EQ(Batch({"convert", "--to", "avif", "smooth.png"}).exitCode, 0);
  std::vector<std::uint16_t> samples;
  for (int i = 0; i < 24 * 8; ++i)
    samples.insert(samples.end(), {static_cast<std::uint16_t>(i * 300), 20000, 65535});
  fs::rename(Write16BitPng(folder, 24, 8, samples, false), folder / "deep.png");
  ASSERT_EQ(Batch({"convert", "--to", "avif", "deep.png"}).exitCode, 0);
  // Lossy: 8 bits, 4:2:0, full-range BT.601 YCbCr of sRGB colours (BT.709 primaries, sRGB
  // transfer).
  const std::string lossy = AvifInfo(folder / "photo.jpg.avif");
  for (const char* line :
       {"Bit Depth      : 8\n", "Format         : YUV420\n", "Range          : Full\n",
        "Color Primaries: 1\n", "Transfer Char. : 13\n", "Matrix Coeffs. : 6\n",
        "Alpha          : Absent\n"}) {
    EXPECT_NE(lossy.find(line), std::string::npos) << line << lossy;
  }
  // Lossless: red, green and blue kept in 4:4:4 under the identity matrix, 8 or 10 bits.
  for (const char* name : {"smooth.png.avif", "deep.png.avif"}) {
    const std::string exact = AvifInfo(folder / name);
    const bool deep = std::string(name) == "deep.png.avif";
    for (const char* line :
         {deep ? "Bit Depth      : 10\n" : "Bit Depth      : 8\n", "Format         : YUV444\n",
          "Range          : Full\n", "Matrix Coeffs. : 0\n"}) {
      EXPECT_NE(exact.find(line), std::string::npos) << name << ": " << line << exact;
    }
  }
}

// The promise of the quality table: a lossy AVIF loses no more than the JPEG of the same quality
// does (PSNR over red, green and blue against the source; ImageMagick's JPEG at 4:2:0; the AVIF
// decoded by avifdec).
TEST_F(HeifWriteTool, LossyAvifsAreAtLeastAsCloseToTheSourceAsTheJpegOfTheirQuality) {
  ASSERT_EQ(RunProgram({"convert", "-seed", "21", "-size", "480x320", "plasma:fractal", "-blur",
                        "0x1", "-attenuate", "0.05", "+noise", "Gaussian", "-quality", "98",
                        "-sampling-factor", "1x1", (folder / "photo.jpg").string()})
                .exitCode,
            0);
  const auto source = PilRgba(folder / "photo.jpg");
  ASSERT_TRUE(source);
  const auto psnr = [&](const RgbaPicture& picture) {
    double squares = 0;
    for (int y = 0; y < source->height; ++y)
      for (int x = 0; x < source->width; ++x)
        for (int c = 0; c < 3; ++c) {
          const double d = picture.at(x, y)[c] - source->at(x, y)[c];
          squares += d * d;
        }
    const double mse = squares / (3.0 * source->width * source->height);
    return 10 * std::log10(255.0 * 255.0 / mse);
  };
  for (const char* quality : {"50", "75", "89"}) {
    SCOPED_TRACE(std::string("quality ") + quality);
    ASSERT_EQ(RunProgram({"convert", (folder / "photo.jpg").string(), "-quality", quality,
                          "-sampling-factor", "2x2", (folder / "reference.jpg").string()})
                  .exitCode,
              0);
    ASSERT_EQ(Batch({"convert", "--to", "avif", "--jpeg-quality", quality, "photo.jpg"}).exitCode,
              0);
    ASSERT_NE(AvifInfo(folder / "photo.jpg.avif").find("YUV420"), std::string::npos);
    const auto avif = Decoded("photo.jpg.avif");
    const auto jpeg = PilRgba(folder / "reference.jpg");
    ASSERT_TRUE(avif && jpeg);
    EXPECT_GE(psnr(*avif), psnr(*jpeg));
    EXPECT_LT(fs::file_size(folder / "photo.jpg.avif"), fs::file_size(folder / "reference.jpg"));
    fs::remove(folder / "photo.jpg.avif");
  }
}

TEST_F(HeifWriteTool, TheFilesGrowWithTheSaveQuality) {
  ASSERT_EQ(RunProgram({"convert", (folder / "smooth.png").string(), "-quality", "95",
                        (folder / "photo.jpg").string()})
                .exitCode,
            0);
  for (const char* to : {"avif", "heic"}) {
    std::uintmax_t previous = 0;
    for (const char* quality : {"30", "60", "85", "97"}) {
      ASSERT_EQ(Batch({"convert", "--to", to, "--jpeg-quality", quality, "photo.jpg"}).exitCode, 0);
      const fs::path written = folder / (std::string("photo.jpg.") + to);
      const std::uintmax_t size = fs::file_size(written);
      EXPECT_GT(size, previous) << to << " at " << quality;
      previous = size;
      fs::remove(written);
    }
  }
}

TEST_F(HeifWriteTool, SixteenBitPngsGiveTenBitsEightBitSourcesEight) {
  std::vector<std::uint16_t> samples;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 32; ++x)
      samples.insert(samples.end(), {static_cast<std::uint16_t>(x * 2048 + y), 40000,
                                     static_cast<std::uint16_t>(y * 4096 + 5)});
  const fs::path deep = Write16BitPng(folder, 32, 16, samples, false);
  fs::rename(deep, folder / "deep.png");
  for (const char* to : {"avif", "heic"}) {
    ASSERT_EQ(Batch({"convert", "--to", to, "deep.png"}).exitCode, 0) << to;
    const std::string boxes = Boxes(std::string("deep.png.") + to);
    EXPECT_NE(boxes.find("bits_per_channel: 10,10,10"), std::string::npos) << to << boxes;
    // Turned, resized, cut and padded by the one-pass command, the samples stay deep; only
    // sharpening, done on the 8-bit picture, gives 8 bits.
    const std::pair<std::vector<std::string>, const char*> jobs[] = {
        {{"--turn", "right"}, "10,10,10"},
        {{"--size", "long:20", "--turn", "left"}, "10,10,10"},
        {{"--size", "fill:12x12"}, "10,10,10"},
        {{"--size", "pad:40x40"}, "10,10,10"},
        {{"--size", "long:20", "--sharpen", "medium"}, "8,8,8"},
    };
    int n = 0;
    for (const auto& [options, bits] : jobs) {
      std::vector<std::string> args{"process", "--to",  to, "--out", "j" + std::to_string(++n),
                                    "--name",  "{name}"};
      args.insert(args.end(), options.begin(), options.end());
      args.push_back("deep.png");
      ASSERT_EQ(Batch(args).exitCode, 0) << to << n;
      const std::string made = Boxes("j" + std::to_string(n) + "/deep." + to);
      EXPECT_NE(made.find(std::string("bits_per_channel: ") + bits), std::string::npos)
          << to << n << made;
    }
  }
  const std::string info =
      RunProgram({"avifdec", "--info", (folder / "deep.png.avif").string()}).out;
  EXPECT_NE(info.find("Bit Depth      : 10"), std::string::npos) << info;
  const auto back = Decoded("deep.png.avif");
  ASSERT_TRUE(back);
  EXPECT_EQ(back->width, 32);
  // The turned lossless AVIF holds the source's pixels, turned a quarter to the right: the
  // pixel at (x, y) was at (y, 15 - x).
  const auto turned = Decoded("j1/deep.avif");
  ASSERT_TRUE(turned);
  ASSERT_EQ(turned->width, 16);
  ASSERT_EQ(turned->height, 32);
  for (int y = 0; y < 32; y += 5) {
    for (int x = 0; x < 16; x += 3) {
      const std::uint16_t* source = &samples[(static_cast<std::size_t>(15 - x) * 32 + y) * 3];
      for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(turned->at(x, y)[c], source[c] / 257.0, 1.0) << x << "," << y << "," << c;
    }
  }
}

TEST_F(HeifWriteTool, MetadataFollowsTheChoiceAndNothingTurnsThePicture) {
  PIXTREL_SKIP_WITHOUT_PROGRAM("exiftool");
  WriteBytes(folder / "tagged.jpg", TaggedPhoto(folder, false, SrgbProfile(), {}));
  for (const char* to : {"avif", "heic"}) {
    const std::string name = std::string("tagged.jpg.") + to;
    ASSERT_EQ(Batch({"convert", "--to", to, "--metadata", "strip-gps", "tagged.jpg"}).exitCode, 0);
    // Stored 64 x 48 and tagged 6: written upright, so every reader shows 48 x 64.
    const auto shown = Decoded(name);
    ASSERT_TRUE(shown) << to;
    EXPECT_EQ(shown->width, 48) << to;
    EXPECT_EQ(shown->height, 64) << to;
    const std::string boxes = Boxes(name);
    EXPECT_EQ(boxes.find("Box: irot"), std::string::npos) << to;
    EXPECT_EQ(boxes.find("Box: imir"), std::string::npos) << to;
    auto tags = ExiftoolTags(folder / name);
    EXPECT_EQ(tags["Make"], "TestMake") << to;
    EXPECT_EQ(tags["Orientation"], "1") << to;
    EXPECT_EQ(tags.count("GPSLatitude"), 0u) << to;
    EXPECT_EQ(tags.count("ProfileDescription"), 1u) << to;
    fs::remove(folder / name);
    ASSERT_EQ(Batch({"convert", "--to", to, "--metadata", "strip", "tagged.jpg"}).exitCode, 0);
    tags = ExiftoolTags(folder / name);
    EXPECT_EQ(tags.count("Make"), 0u) << to;
    EXPECT_EQ(tags.count("ProfileDescription"), 0u) << to;
    fs::remove(folder / name);
  }
}

TEST_F(HeifWriteTool, ResizeAndRotateWriteTheirOwnFormatBack) {
  for (const char* to : {"avif", "heic"}) {
    const std::string name = std::string("photo.") + to;
    ASSERT_EQ(Batch({"convert", "--to", to, "smooth.png"}).exitCode, 0);
    fs::rename(folder / ("smooth.png." + std::string(to)), folder / name);
    const RunResult r = Batch({"resize-" + std::string(to), "--pixels", "100", name});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto small = Decoded("mini-" + name);
    ASSERT_TRUE(small) << to;
    EXPECT_EQ(small->width, 100);
    EXPECT_EQ(small->height, 62);  // 62.5, rounded as the resize tabs round
    ASSERT_EQ(Batch({"rotate", "--turn", "right", name}).exitCode, 0) << to;
    const auto turned = Decoded("right-" + name);
    ASSERT_TRUE(turned) << to;
    EXPECT_EQ(turned->width, 200);
    EXPECT_EQ(turned->height, 320);
    const auto source = PilRgba(folder / "smooth.png");
    ASSERT_TRUE(source);
    // The source's top left corner is the turned picture's top right one.
    for (int c = 0; c < 3; ++c)
      EXPECT_NEAR(turned->at(199, 0)[c], source->at(0, 0)[c], 12) << to;
  }
}

TEST_F(HeifWriteTool, ProcessFitsTheFilesUnderMaxSizeAndTakesHeifForHeic) {
  ASSERT_EQ(RunProgram({"convert", "-seed", "3", "-size", "640x480", "plasma:fractal",
                        (folder / "big.png").string()})
                .exitCode,
            0);
  for (const char* to : {"avif", "heic"}) {
    const fs::path out = folder / to;
    const RunResult r = Batch(
        {"process", "--to", to, "--max-size", "20k", "--out", to, "--name", "{name}", "big.png"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const fs::path written = out / (std::string("big.") + to);
    ASSERT_TRUE(fs::exists(written)) << r.out;
    EXPECT_LE(fs::file_size(written), 20u * 1024) << to;
    EXPECT_GT(fs::file_size(written), 10u * 1024) << to;  // the highest quality that fits
    fs::copy_file(written, folder / (std::string("fitted.") + to));
    const auto back = Decoded(std::string("fitted.") + to);
    ASSERT_TRUE(back) << to;
    EXPECT_EQ(back->width, 640);
  }
  ASSERT_EQ(Batch({"convert", "--to", "heif", "smooth.png"}).exitCode, 0);
  EXPECT_TRUE(fs::exists(folder / "smooth.png.heic"));
  const std::string formats = RunBatchTool({"--list-formats"}).out;
  EXPECT_NE(formats.find("heic"), std::string::npos);
}

TEST_F(HeifWriteTool, DamagedFilesAreRefusedWithTheirReason) {
  Bytes damaged = FileContents(folder / "smooth.png");
  WriteBytes(folder / "fake.avif", Bytes(damaged.begin(), damaged.begin() + 100));
  ASSERT_EQ(Batch({"convert", "--to", "heic", "smooth.png"}).exitCode, 0);
  Bytes heic = FileContents(folder / "smooth.png.heic");
  heic.resize(heic.size() / 2);
  WriteBytes(folder / "cut.heic", heic);
  for (const char* name : {"fake.avif", "cut.heic"}) {
    const std::string to = fs::path(name).extension().string().substr(1);
    const RunResult r = Batch({"resize-" + to, "--pixels", "50", "--keep-going", name});
    EXPECT_NE(r.exitCode, 0) << name;
    EXPECT_NE(r.err.find("HEIF error"), std::string::npos) << name << ": " << r.err;
    EXPECT_FALSE(fs::exists(folder / ("mini-" + std::string(name)))) << name;
  }
}

}  // namespace
}  // namespace pixtrel::test
