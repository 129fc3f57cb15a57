// pixtrel-batch on PNG, WebP, GIF, BMP and JPEG files through the commands that take every
// format: each written file is read back by PIL (or looked at byte by byte) and compared with
// what the source holds.
#include <gtest/gtest.h>

#include "tests/commands/CommandTools.h"

namespace fs = std::filesystem;

namespace pixtrel::test {
namespace {

// The chunk that says how a WebP file is compressed: "VP8 " lossy, "VP8L" lossless.
std::string WebpKind(const fs::path& file) {
  const Bytes bytes = FileContents(file);
  const std::string text(bytes.begin(), bytes.end());
  if (text.find("VP8L") != std::string::npos) return "lossless";
  if (text.find("VP8 ") != std::string::npos) return "lossy";
  return "none";
}

class FormatsTool : public ::testing::Test {
 protected:
  void SetUp() override {
    PIXTREL_SKIP_WITHOUT_PIL();
    PIXTREL_SKIP_WITHOUT_PROGRAM("convert");
    PIXTREL_SKIP_WITHOUT_PROGRAM("cwebp");
  }
  RgbaPicture Pil(const std::string& name) {
    const auto picture = PilRgba(dir / name);
    EXPECT_TRUE(picture) << name << " is not readable by PIL";
    return picture.value_or(RgbaPicture{});
  }
  void Batch(const std::vector<std::string>& arguments) {
    const RunResult r = RunBatchTool(arguments, dir.path());
    ASSERT_EQ(r.exitCode, 0) << r.err;
  }
  TempFolder dir;
};

TEST_F(FormatsTool, APngConvertsToEveryFormatItCanWrite) {
  ASSERT_TRUE(Magick({"-seed", "3", "-size", "64x48", "plasma:fractal", "-depth", "8",
                      (dir / "src.png").string()}));
  for (const std::string target : {"jpg", "png", "webp", "gif", "bmp"}) {
    SCOPED_TRACE(target);
    Batch({"convert", "--to", target, "src.png"});
    const RgbaPicture out = Pil("src.png." + target);
    const Difference d = Compare(out, Pil("src.png"));
    if (target == "jpg") {
      EXPECT_LT(d.mean, 8.0);  // fine detail in every colour, chroma subsampled
    } else if (target == "gif") {
      EXPECT_LT(d.mean, 20.0);  // reduced to the fixed web palette
    } else {
      EXPECT_EQ(d.largest, 0);  // lossless: PNG, BMP and WebP from a lossless source
    }
  }
  EXPECT_EQ(WebpKind(dir / "src.png.webp"), "lossless");
}

TEST_F(FormatsTool, EveryReadableFormatConvertsToPng) {
  ASSERT_TRUE(Magick({"-seed", "5", "-size", "40x30", "plasma:fractal", (dir / "a.ppm").string()}));
  ASSERT_TRUE(Magick({(dir / "a.ppm").string(), "-quality", "90", (dir / "a.jpg").string()}));
  ASSERT_TRUE(Magick({(dir / "a.ppm").string(), (dir / "a.gif").string()}));
  ASSERT_TRUE(Magick({(dir / "a.ppm").string(), (dir / "a.bmp").string()}));
  ASSERT_TRUE(Magick({(dir / "a.ppm").string(), "PNG8:" + (dir / "palette.png").string()}));
  ASSERT_TRUE(
      Magick({(dir / "a.ppm").string(), "-depth", "16", "-alpha", "set", "-channel", "A",
              "-evaluate", "set", "60%", "+channel", "PNG64:" + (dir / "deep.png").string()}));
  ASSERT_EQ(RunProgram({"cwebp", "-quiet", "-q", "80", (dir / "a.ppm").string(), "-o",
                        (dir / "lossy.webp").string()})
                .exitCode,
            0);
  ASSERT_EQ(RunProgram({"cwebp", "-quiet", "-lossless", (dir / "deep.png").string(), "-o",
                        (dir / "alpha.webp").string()})
                .exitCode,
            0);
  for (const std::string name :
       {"a.jpg", "a.gif", "a.bmp", "palette.png", "deep.png", "lossy.webp", "alpha.webp"}) {
    SCOPED_TRACE(name);
    Batch({"convert", "--to", "png", name});
    const Difference d = Compare(Pil(name + ".png"), Pil(name));
    // PIL decodes JPEG with a different transform, and 16-bit samples with truncation.
    EXPECT_LE(d.largest, name == "a.jpg" ? 16 : name == "deep.png" ? 1 : 0);
  }
  EXPECT_EQ(Pil("alpha.webp.png").mode, "RGBA");
  EXPECT_EQ(Pil("palette.png.png").mode, "P");  // a palette stays a palette
}

TEST_F(FormatsTool, AlphaIsKeptWhereTheTargetHasItAndWhiteElsewhere) {
  // Opaque red on the left half, fully transparent (black underneath) on the right.
  ASSERT_TRUE(Magick({"-size", "20x10", "xc:red", "-alpha", "set", "-region", "10x10+10+0", "-fill",
                      "rgba(0,0,0,0)", "-draw", "color 0,0 reset", "+region",
                      (dir / "half.png").string()}));
  ASSERT_EQ(Pil("half.png").at(15, 5)[3], 0);
  Batch({"convert", "--to", "webp", "half.png"});
  Batch({"convert", "--to", "bmp", "half.png"});
  const RgbaPicture webp = Pil("half.png.webp");
  EXPECT_EQ(Compare(webp, Pil("half.png")).largest, 0);
  const RgbaPicture bmp = Pil("half.png.bmp");
  EXPECT_EQ(std::vector<int>(bmp.at(15, 5), bmp.at(15, 5) + 4),
            (std::vector<int>{255, 255, 255, 255}));
  EXPECT_EQ(std::vector<int>(bmp.at(2, 5), bmp.at(2, 5) + 4), (std::vector<int>{255, 0, 0, 255}));
}

TEST_F(FormatsTool, ResizingPngAndWebpKeepsWhatTheSourceWas) {
  ASSERT_TRUE(
      Magick({"-seed", "9", "-size", "120x80", "plasma:fractal", (dir / "p.ppm").string()}));
  ASSERT_TRUE(Magick({(dir / "p.ppm").string(), "PNG8:" + (dir / "palette.png").string()}));
  ASSERT_TRUE(Magick({(dir / "p.ppm").string(), "-depth", "16", (dir / "deep.png").string()}));
  ASSERT_EQ(RunProgram({"cwebp", "-quiet", "-lossless", (dir / "p.ppm").string(), "-o",
                        (dir / "ll.webp").string()})
                .exitCode,
            0);
  ASSERT_EQ(RunProgram({"cwebp", "-quiet", "-q", "70", (dir / "p.ppm").string(), "-o",
                        (dir / "ly.webp").string()})
                .exitCode,
            0);
  Batch({"resize-png", "--pixels", "60", "--method", "normal", "palette.png"});
  EXPECT_EQ(Pil("mini-palette.png").mode, "P");  // picking pixels keeps the colour table
  Batch({"resize-png", "--pixels", "60", "palette.png", "deep.png"});
  for (const std::string name : {"mini-palette.png", "mini-deep.png"}) {
    const RgbaPicture out = Pil(name);
    EXPECT_EQ(out.width, 60);
    EXPECT_EQ(out.height, 40);
    EXPECT_EQ(out.mode, "RGB");  // 8 bits a sample, blended colours need no table
  }
  Batch({"resize-webp", "--pixels", "30", "ll.webp", "ly.webp"});
  EXPECT_EQ(WebpKind(dir / "mini-ll.webp"), "lossless");
  EXPECT_EQ(WebpKind(dir / "mini-ly.webp"), "lossy");
  EXPECT_EQ(Pil("mini-ly.webp").width, 30);
  EXPECT_EQ(Pil("mini-ly.webp").height, 20);
}

TEST_F(FormatsTool, ASoftEdgeResizedShowsNoDarkFringe) {
  // A half-transparent green disc on fully transparent black.
  ASSERT_TRUE(Magick({"-size", "300x200", "xc:none", "-fill", "rgba(0,128,0,0.5)", "-draw",
                      "circle 150,100 150,20", (dir / "disc.png").string()}));
  Batch({"resize-png", "--pixels", "100", "disc.png"});
  const RgbaPicture out = Pil("mini-disc.png");
  ASSERT_EQ(out.mode, "RGBA");
  int visible = 0;
  for (int y = 0; y < out.height; ++y) {
    for (int x = 0; x < out.width; ++x) {
      const std::uint8_t* p = out.at(x, y);
      if (p[3] < 16) continue;  // too transparent for its colour to matter
      ++visible;
      EXPECT_LE(p[0], 8);
      EXPECT_NEAR(p[1], 128, 8) << x << "," << y;
      EXPECT_LE(p[2], 8);
    }
  }
  EXPECT_GT(visible, 1000);
}

TEST_F(FormatsTool, RotatingPngAndWebpTurnsEveryPixelAndKeepsAlpha) {
  ASSERT_TRUE(Magick({"-seed", "4", "-size", "30x20", "plasma:fractal", "-alpha", "set", "-channel",
                      "A", "-fx", "i/w", "+channel", "-depth", "8", (dir / "t.png").string()}));
  ASSERT_EQ(RunProgram({"cwebp", "-quiet", "-lossless", "-exact", (dir / "t.png").string(), "-o",
                        (dir / "t.webp").string()})
                .exitCode,
            0);
  Batch({"rotate", "--turn", "right", "t.png", "t.webp"});
  const RgbaPicture source = Pil("t.png");
  for (const std::string name : {"right-t.png", "right-t.webp"}) {
    SCOPED_TRACE(name);
    const RgbaPicture out = Pil(name);
    ASSERT_EQ(out.width, 20);
    ASSERT_EQ(out.height, 30);
    for (int y = 0; y < source.height; ++y)
      for (int x = 0; x < source.width; ++x)
        ASSERT_EQ(std::vector<int>(source.at(x, y), source.at(x, y) + 4),
                  std::vector<int>(out.at(source.height - 1 - y, x),
                                   out.at(source.height - 1 - y, x) + 4))
            << x << "," << y;
  }
  EXPECT_EQ(WebpKind(dir / "right-t.webp"), "lossless");
}

TEST_F(FormatsTool, ShrinkOnlyCopiesSmallPicturesByteForByteAndResizesTheRest) {
  ASSERT_TRUE(Magick({"-seed", "2", "-size", "50x40", "plasma:fractal", (dir / "s.png").string()}));
  ASSERT_TRUE(Magick({(dir / "s.png").string(), (dir / "s.jpg").string()}));
  ASSERT_TRUE(Magick({(dir / "s.png").string(), (dir / "s.gif").string()}));
  ASSERT_TRUE(Magick({(dir / "s.png").string(), (dir / "s.bmp").string()}));
  ASSERT_EQ(
      RunProgram({"cwebp", "-quiet", (dir / "s.png").string(), "-o", (dir / "s.webp").string()})
          .exitCode,
      0);
  ASSERT_TRUE(
      Magick({"-seed", "2", "-size", "90x60", "plasma:fractal", (dir / "big.png").string()}));
  const auto old = fs::file_time_type::clock::now() - std::chrono::hours(49);
  for (const std::string name : {"s.png", "s.jpg", "s.gif", "s.bmp", "s.webp"})
    fs::last_write_time(dir / name, old);
  const std::vector<std::pair<std::string, std::string>> commands = {{"resize-png", "s.png"},
                                                                     {"resize-jpg", "s.jpg"},
                                                                     {"resize-gif", "s.gif"},
                                                                     {"resize-bmp", "s.bmp"},
                                                                     {"resize-webp", "s.webp"}};
  for (const auto& [command, name] : commands) {
    SCOPED_TRACE(name);
    Batch({command, "--pixels", "50", "--shrink-only", "--keep-date", name});
    EXPECT_EQ(FileContents(dir / ("mini-" + name)), FileContents(dir / name));
    const auto kept = fs::last_write_time(dir / ("mini-" + name));
    EXPECT_LT(std::chrono::abs(kept - fs::last_write_time(dir / name)), std::chrono::seconds(3));
  }
  Batch({"resize-png", "--pixels", "50", "--shrink-only", "big.png"});
  EXPECT_EQ(Pil("mini-big.png").width, 50);
  // Without the option a small picture is scaled (up) as before.
  Batch({"resize-png", "--pixels", "80", "s.png"});
  EXPECT_EQ(Pil("mini-s.png").width, 80);
}

TEST_F(FormatsTool, WhatCannotBeWrittenOrReadSaysSo) {
  ASSERT_TRUE(Magick({"-size", "8x8", "xc:blue", (dir / "x.png").string()}));
  fs::copy_file(dir / "x.png", dir / "x.heic");
  RunResult r = RunBatchTool({"rotate", "x.heic"}, dir.path());
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("x.heic: HEIF error: "), std::string::npos) << r.err;
  r = RunBatchTool({"convert", "--to", "tiff", "x.png"}, dir.path());
  EXPECT_EQ(r.exitCode, 2);
  r = RunBatchTool({"convert", "x.png"}, dir.path());
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("--to"), std::string::npos) << r.err;
  fs::copy_file(dir / "x.png", dir / "fake.webp");
  r = RunBatchTool({"convert", "--to", "png", "fake.webp"}, dir.path());
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("fake.webp: WebP error"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(dir / "fake.webp.png"));
}

}  // namespace
}  // namespace pixtrel::test
