// rotate --lossless through pixtrel-batch: JPEG files turned on their compressed data as jpegtran
// turns them (djpeg gives identical pixels), whatever their orientation tag; pictures of partial
// blocks refused or trimmed; metadata as --metadata says (read by exiftool); other formats and the
// default turn as before.
#include <gtest/gtest.h>

#include "tests/commands/CommandTools.h"

namespace fs = std::filesystem;

namespace pixtrel::test {
namespace {

const fs::path kAdobeRgb = "/usr/share/color/icc/colord/AdobeRGB1998.icc";
const fs::path kSrgb = "/usr/share/color/icc/colord/sRGB.icc";

class LosslessTurnTool : public ::testing::Test {
 protected:
  void SetUp() override {
    PIXTREL_SKIP_WITHOUT_PROGRAM("convert");
    PIXTREL_SKIP_WITHOUT_PROGRAM("jpegtran") << " (Debian package libjpeg-turbo-progs)";
    PIXTREL_SKIP_WITHOUT_PROGRAM("djpeg");
    PIXTREL_SKIP_WITHOUT_EXIFTOOL();
  }
  // A photo as cameras write it: 4:2:0, blocks of 16 x 16 pixels.
  void CameraPhoto(const std::string& name, int width, int height, int seed) {
    ASSERT_EQ(RunProgram({"convert", "-seed", std::to_string(seed), "-size",
                          std::to_string(width) + "x" + std::to_string(height), "plasma:fractal",
                          "-sampling-factor", "2x2", "-quality", "90", (dir / name).string()})
                  .exitCode,
              0);
  }
  RunResult Batch(const std::vector<std::string>& arguments) {
    return RunBatchTool(arguments, dir.path());
  }
  // jpegtran's transforms one after the other.
  fs::path Jpegtran(const fs::path& source, const std::vector<std::vector<std::string>>& steps,
                    const std::string& name) {
    fs::path from = source;
    int n = 0;
    for (const auto& step : steps) {
      const fs::path to = dir / (name + std::to_string(n++) + ".jpg");
      std::vector<std::string> argv{"jpegtran", "-copy", "none"};
      argv.insert(argv.end(), step.begin(), step.end());
      argv.insert(argv.end(), {"-outfile", to.string(), from.string()});
      EXPECT_EQ(RunProgram(argv).exitCode, 0);
      from = to;
    }
    return from;
  }
  Bytes Pixels(const fs::path& jpeg) {
    const fs::path out = dir / "pixels.ppm";
    EXPECT_EQ(RunProgram({"djpeg", "-outfile", out.string(), jpeg.string()}).exitCode, 0);
    return FileContents(out);
  }
  TempFolder dir;
};

TEST_F(LosslessTurnTool, EveryOrientationAndTurnIsJpegtransTransform) {
  CameraPhoto("photo.jpg", 64, 48, 3);
  // How the EXIF orientations are shown upright, as jpegtran steps.
  const std::vector<std::vector<std::string>> upright = {{},
                                                         {"-flip", "horizontal"},
                                                         {"-rotate", "180"},
                                                         {"-flip", "vertical"},
                                                         {"-transpose"},
                                                         {"-rotate", "90"},
                                                         {"-transverse"},
                                                         {"-rotate", "270"}};
  const std::vector<std::pair<std::string, std::string>> turns = {
      {"right", "90"}, {"left", "270"}, {"180", "180"}};
  for (int tag = 1; tag <= 8; ++tag) {
    fs::copy_file(dir / "photo.jpg", dir / "tagged.jpg", fs::copy_options::overwrite_existing);
    ASSERT_TRUE(ExifToolWrite(dir / "tagged.jpg", {"-Orientation#=" + std::to_string(tag)}));
    for (const auto& [turn, degrees] : turns) {
      SCOPED_TRACE("orientation " + std::to_string(tag) + ", turn " + turn);
      const RunResult r = Batch({"rotate", "--lossless", "--turn", turn, "tagged.jpg"});
      ASSERT_EQ(r.exitCode, 0) << r.err;
      std::vector<std::vector<std::string>> steps;
      if (!upright[tag - 1].empty()) steps.push_back(upright[tag - 1]);
      steps.push_back({"-rotate", degrees, "-perfect"});
      EXPECT_EQ(Pixels(dir / (turn + "-tagged.jpg")),
                Pixels(Jpegtran(dir / "tagged.jpg", steps, "expected")));
      EXPECT_EQ(ExifToolRead(dir / (turn + "-tagged.jpg"), {"Orientation"})["Orientation"], "1");
    }
  }
  // --ignore-orientation turns the picture as stored and leaves its tag.
  ASSERT_EQ(Batch({"rotate", "--lossless", "--ignore-orientation", "tagged.jpg"}).exitCode, 0);
  EXPECT_EQ(Pixels(dir / "right-tagged.jpg"),
            Pixels(Jpegtran(dir / "tagged.jpg", {{"-rotate", "90"}}, "stored")));
  EXPECT_EQ(ExifToolRead(dir / "right-tagged.jpg", {"Orientation"})["Orientation"], "8");
}

TEST_F(LosslessTurnTool, TurningFourTimesGivesBackTheSameCoefficients) {
  CameraPhoto("photo.jpg", 64, 48, 4);
  fs::copy_file(dir / "photo.jpg", dir / "turned.jpg");
  for (int i = 0; i < 4; ++i) {
    ASSERT_EQ(
        Batch({"rotate", "--lossless", "--save", "overwrite", "--yes", "turned.jpg"}).exitCode, 0);
  }
  EXPECT_EQ(Pixels(dir / "turned.jpg"), Pixels(dir / "photo.jpg"));
}

TEST_F(LosslessTurnTool, PartialBlocksAreRefusedUnlessTrimmed) {
  CameraPhoto("odd.jpg", 100, 75, 5);
  const RunResult refused = Batch({"rotate", "--lossless", "odd.jpg"});
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_EQ(LastLine(refused.err),
            "pixtrel-batch: odd.jpg: Cannot turn this JPEG without loss: its 100 x 75 pixels are "
            "not whole 16 x 16 blocks; trimming would drop the partial blocks at its edge");
  EXPECT_FALSE(fs::exists(dir / "right-odd.jpg"));

  const RunResult trimmed = Batch({"rotate", "--lossless=trim", "odd.jpg"});
  ASSERT_EQ(trimmed.exitCode, 0) << trimmed.err;
  EXPECT_EQ(Pixels(dir / "right-odd.jpg"),
            Pixels(Jpegtran(dir / "odd.jpg", {{"-rotate", "90", "-trim"}}, "trim")));
  const auto tags = ExifToolRead(dir / "right-odd.jpg", {"ImageWidth", "ImageHeight"});
  EXPECT_EQ(tags.at("ImageWidth"), "64");  // the 75 rows trimmed to 64 became the width
  EXPECT_EQ(tags.at("ImageHeight"), "100");
}

TEST_F(LosslessTurnTool, MetadataFollowsTheChoice) {
  if (!fs::exists(kAdobeRgb) || !fs::exists(kSrgb))
    PIXTREL_SKIP_MISSING_TOOL() << "colord's ICC profiles (Debian package colord-data)";
  ASSERT_TRUE(MakePhoto(dir / "thumb.jpg", 16, 12, 2));
  ASSERT_TRUE(MakePhoto(dir / "photo.jpg", 64, 48, 5));
  ASSERT_TRUE(ExifToolWrite(
      dir / "photo.jpg",
      {"-Make=Korvane Test Camera", "-Orientation#=6", "-ExifImageWidth=64", "-ExifImageHeight=48",
       "-GPSLatitude=46.0569", "-GPSLatitudeRef=N", "-XMP-dc:Title=Lake",
       "-XMP-photoshop:City=Ljubljana", "-Comment=kept as it is",
       "-ThumbnailImage<=" + (dir / "thumb.jpg").string(), "-ICC_Profile<=" + kAdobeRgb.string()}));
  fs::copy_file(dir / "photo.jpg", dir / "srgb.jpg");
  ASSERT_TRUE(ExifToolWrite(dir / "srgb.jpg", {"-ICC_Profile<=" + kSrgb.string()}));
  const Bytes adobe = FileContents(kAdobeRgb);
  auto profile = [&](const std::string& name) {
    const std::string out =
        RunProgram({"exiftool", "-b", "-ICC_Profile", (dir / name).string()}).out;
    return Bytes(out.begin(), out.end());
  };

  ASSERT_EQ(Batch({"rotate", "--lossless", "photo.jpg"}).exitCode, 0);
  auto kept = ExifToolRead(dir / "right-photo.jpg");
  EXPECT_EQ(kept["Make"], "Korvane Test Camera");
  EXPECT_EQ(kept["Orientation"], "1");
  EXPECT_EQ(kept["ExifImageWidth"], "64");  // upright 48 x 64, turned right: 64 x 48
  EXPECT_EQ(kept["ExifImageHeight"], "48");
  EXPECT_EQ(kept.count("ThumbnailImage") + kept.count("ThumbnailOffset"), 0u);
  EXPECT_NE(kept["GPSLatitude"], "");
  EXPECT_EQ(kept["Title"], "Lake");
  EXPECT_EQ(kept["Comment"], "kept as it is");
  EXPECT_EQ(profile("right-photo.jpg"), adobe);

  ASSERT_EQ(
      Batch({"rotate", "--lossless", "--metadata", "strip-gps", "--turn", "left", "photo.jpg"})
          .exitCode,
      0);
  auto noGps = ExifToolRead(dir / "left-photo.jpg");
  EXPECT_EQ(noGps["Make"], "Korvane Test Camera");
  EXPECT_EQ(noGps["Title"], "Lake");
  for (const auto& [tag, value] : noGps)
    EXPECT_EQ(tag.find("GPS"), std::string::npos) << tag << " = " << value;
  EXPECT_EQ(noGps.count("City"), 0u);
  EXPECT_EQ(profile("left-photo.jpg"), adobe);

  // strip: nothing of the source's, but a profile the colours need stays (they cannot be
  // converted without decoding); an sRGB one goes.
  ASSERT_EQ(Batch({"rotate", "--lossless", "--metadata", "strip", "--turn", "180", "photo.jpg",
                   "srgb.jpg"})
                .exitCode,
            0);
  for (const std::string name : {"180-photo.jpg", "180-srgb.jpg"}) {
    SCOPED_TRACE(name);
    auto tags = ExifToolRead(dir / name);
    for (const char* tag :
         {"Make", "Orientation", "GPSLatitude", "Title", "City", "Comment", "ThumbnailImage"})
      EXPECT_EQ(tags.count(tag), 0u) << tag;
  }
  EXPECT_EQ(profile("180-photo.jpg"), adobe);
  EXPECT_TRUE(profile("180-srgb.jpg").empty());
}

TEST_F(LosslessTurnTool, OtherFormatsAndTheDefaultTurnAreAsBefore) {
  ASSERT_TRUE(MakePhoto(dir / "photo.jpg", 64, 48, 6));
  ASSERT_EQ(
      RunProgram({"convert", (dir / "photo.jpg").string(), (dir / "photo.png").string()}).exitCode,
      0);
  ASSERT_EQ(Batch({"rotate", "--save", "subfolder", "photo.png", "photo.jpg"}).exitCode, 0);
  ASSERT_EQ(Batch({"rotate", "--lossless", "photo.png", "photo.jpg"}).exitCode, 0);
  EXPECT_EQ(FileContents(dir / "right-photo.png"), FileContents(dir / "vantro" / "photo.png"));
  // Without --lossless the JPEG is decoded and encoded anew; with it, its coefficients stay.
  EXPECT_NE(Pixels(dir / "vantro" / "photo.jpg"), Pixels(dir / "right-photo.jpg"));
  EXPECT_EQ(Pixels(dir / "right-photo.jpg"),
            Pixels(Jpegtran(dir / "photo.jpg", {{"-rotate", "90"}}, "plain")));
}

TEST(LosslessTurnOptions, WrongUsesAreRefused) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"convert", "--to", "png", "--lossless", "a.jpg"},
        {"rotate", "--lossless=yes", "a.jpg"},
        {"rotate", "--dither", "a.jpg"}}) {
    const RunResult r = RunBatchTool(args);
    EXPECT_EQ(r.exitCode, 2) << args[1];
  }
}

}  // namespace
}  // namespace pixtrel::test
