// convert --to gif through pixtrel-batch: photos get a colour table of their own, as close to
// the source as ImageMagick's quantizer gets (read back by PIL), the same bytes every time, a
// transparent colour where the source is see-through; the classic commands keep the fixed
// palette.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;

namespace pixtrel::test {
namespace {

struct Rgb8 {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;
};

Rgb8 Pil(const fs::path& file) {
  const std::optional<PilPicture> picture = ReadWithPil(file);
  EXPECT_TRUE(picture.has_value()) << file;
  if (!picture) return {};
  return {picture->width, picture->height, picture->rgb};
}

double Psnr(const Rgb8& a, const Rgb8& b) {
  EXPECT_EQ(a.rgb.size(), b.rgb.size());
  double sum = 0;
  for (std::size_t i = 0; i < a.rgb.size() && i < b.rgb.size(); ++i) {
    const double d = a.rgb[i] - b.rgb[i];
    sum += d * d;
  }
  return 10 * std::log10(255.0 * 255.0 * static_cast<double>(a.rgb.size()) / sum);
}

// The largest difference between the two pictures' mean levels of one channel.
double MeanShift(const Rgb8& a, const Rgb8& b) {
  double most = 0;
  for (int c = 0; c < 3; ++c) {
    double sa = 0, sb = 0;
    for (std::size_t i = static_cast<std::size_t>(c); i < a.rgb.size(); i += 3) {
      sa += a.rgb[i];
      sb += b.rgb[i];
    }
    most = std::max(most, std::abs(sa - sb) / static_cast<double>(a.rgb.size() / 3));
  }
  return most;
}

class OwnPalette : public ::testing::Test {
 protected:
  void SetUp() override {
    PIXTREL_SKIP_WITHOUT_PIL();
    PIXTREL_SKIP_WITHOUT_PROGRAM("convert");
    // Two photo-like pictures: a noisy plasma, and a swirled gradient under a blurred plasma.
    ASSERT_EQ(Magick({"-seed", "4", "-size", "240x180", "plasma:fractal", "-blur", "0x1",
                      "-attenuate", "0.2", "+noise", "Gaussian", "-depth", "8", "plasma.png"}),
              0);
    ASSERT_EQ(
        Magick(
            {"-seed",          "8",          "-size",      "240x180",   "gradient:#203050-#f0c080",
             "-swirl",         "120",        "(",          "-size",     "240x180",
             "plasma:fractal", "-blur",      "0x4",        ")",         "-compose",
             "overlay",        "-composite", "-attenuate", "0.1",       "+noise",
             "Gaussian",       "-depth",     "8",          "sunset.png"}),
        0);
  }
  int Magick(std::vector<std::string> args) {
    // File names are in the test's folder.
    for (std::string& a : args) {
      const std::string extension = fs::path(a).extension().string();
      if (extension == ".png" || extension == ".gif" || extension == ".jpg") {
        a = (dir / a).string();
      }
    }
    args.insert(args.begin(), "convert");
    return RunProgram(args).exitCode;
  }
  RunResult Batch(std::vector<std::string> args) {
    args.insert(args.end(), {"-q", "-C", dir.path().string()});
    return RunBatchTool(args);
  }
  TempFolder dir;
};

TEST_F(OwnPalette, PhotosAreAsCloseAsImageMagickGetsThem) {
  for (const std::string name : {"plasma.png", "sunset.png"}) {
    SCOPED_TRACE(name);
    const Rgb8 source = Pil(dir / name);
    ASSERT_EQ(Magick({name, "-colors", "256", "+dither", "magick-plain.gif"}), 0);
    ASSERT_EQ(Magick({name, "-dither", "FloydSteinberg", "-colors", "256", "magick-fs.gif"}), 0);
    ASSERT_EQ(Batch({"convert", "--to", "gif", name}).exitCode, 0);
    const Rgb8 plain = Pil(dir / (name + ".gif"));
    ASSERT_EQ(Batch({"convert", "--to", "gif", "--dither", name}).exitCode, 0);
    const Rgb8 dithered = Pil(dir / (name + ".gif"));

    const double magickPlain = Psnr(source, Pil(dir / "magick-plain.gif"));
    const double magickDithered = Psnr(source, Pil(dir / "magick-fs.gif"));
    EXPECT_GT(Psnr(source, plain), magickPlain - 1.0) << "ImageMagick: " << magickPlain;
    EXPECT_GT(Psnr(source, dithered), magickDithered - 1.0) << "ImageMagick: " << magickDithered;
    EXPECT_LE(MeanShift(source, plain), 2.0);
    EXPECT_LE(MeanShift(source, dithered), 2.0);
    // The fixed palette, as the classic commands use it, is far off: a control on the measure.
    ASSERT_EQ(Magick({name, "-quality", "95", "source.jpg"}), 0);
    ASSERT_EQ(Batch({"jpg2gif", "source.jpg"}).exitCode, 0);
    EXPECT_GT(MeanShift(source, Pil(dir / "source.jpg.gif")), 10.0);
  }
}

TEST_F(OwnPalette, TheSamePictureGivesTheSameBytes) {
  fs::copy_file(dir / "sunset.png", dir / "copy.png");
  ASSERT_EQ(Batch({"convert", "--to", "gif", "--dither", "--jobs", "1", "sunset.png", "copy.png"})
                .exitCode,
            0);
  const Bytes first = FileContents(dir / "sunset.png.gif");
  EXPECT_EQ(first, FileContents(dir / "copy.png.gif"));
  ASSERT_EQ(Batch({"convert", "--to", "gif", "--dither", "--jobs", "2", "sunset.png", "copy.png"})
                .exitCode,
            0);
  EXPECT_EQ(first, FileContents(dir / "sunset.png.gif"));
  EXPECT_FALSE(first.empty());
}

TEST_F(OwnPalette, SeeThroughPartsGetTheTransparentColour) {
  // The plasma inside a soft-edged disc, transparent outside it.
  ASSERT_EQ(Magick({"plasma.png",  "(",          "-size",
                    "240x180",     "xc:black",   "-fill",
                    "white",       "-draw",      "circle 120,90 120,10",
                    "-blur",       "0x6",        ")",
                    "-alpha",      "off",        "-compose",
                    "CopyOpacity", "-composite", "-depth",
                    "8",           "disc.png"}),
            0);
  ASSERT_EQ(Batch({"convert", "--to", "gif", "disc.png"}).exitCode, 0);
  const std::optional<RgbaPicture> source = PilRgba(dir / "disc.png");
  const std::optional<RgbaPicture> gif = PilRgba(dir / "disc.png.gif");
  ASSERT_TRUE(source && gif);
  ASSERT_EQ(gif->width, 240);
  int seeThrough = 0;
  for (int y = 0; y < 180; ++y) {
    for (int x = 0; x < 240; ++x) {
      const std::uint8_t a = source->at(x, y)[3];
      ASSERT_EQ(gif->at(x, y)[3], a < 128 ? 0 : 255) << x << ", " << y;
      seeThrough += a < 128;
      if (a == 255) {
        for (int c = 0; c < 3; ++c)
          ASSERT_LE(std::abs(gif->at(x, y)[c] - source->at(x, y)[c]), 40) << x << ", " << y;
      }
    }
  }
  EXPECT_GT(seeThrough, 240 * 180 / 4);
}

TEST_F(OwnPalette, ThePicturesOwnColoursAreKeptWhenTheyFit) {
  ASSERT_EQ(Magick({"plasma.png", "-colors", "200", "+dither", "-type", "TrueColor", "-depth", "8",
                    "few.png"}),
            0);
  ASSERT_EQ(Batch({"convert", "--to", "gif", "few.png"}).exitCode, 0);
  const Rgb8 source = Pil(dir / "few.png");
  EXPECT_EQ(Pil(dir / "few.png.gif").rgb, source.rgb);
}

}  // namespace
}  // namespace pixtrel::test
