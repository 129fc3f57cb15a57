// Photos whose orientation tag says they are stored on their side or mirrored come out of every
// command as the user sees them in a viewer: pixel for pixel the upright picture, with
// orientation 1 in JPEG outputs; --ignore-orientation leaves them as stored.
#include <gtest/gtest.h>

#include "tests/commands/CommandTools.h"

namespace fs = std::filesystem;

namespace pixtrel::test {
namespace {

// PIL's transpose for each tag: what makes a picture stored that way upright.
const char* kUprightTranspose[9] = {"",
                                    "",
                                    "Image.Transpose.FLIP_LEFT_RIGHT",
                                    "Image.Transpose.ROTATE_180",
                                    "Image.Transpose.FLIP_TOP_BOTTOM",
                                    "Image.Transpose.TRANSPOSE",
                                    "Image.Transpose.ROTATE_270",
                                    "Image.Transpose.TRANSVERSE",
                                    "Image.Transpose.ROTATE_90"};

class OrientationTool : public ::testing::Test {
 protected:
  void SetUp() override {
    PIXTREL_SKIP_WITHOUT_PIL();
    PIXTREL_SKIP_WITHOUT_PROGRAM("convert");
    PIXTREL_SKIP_WITHOUT_EXIFTOOL();
    ASSERT_TRUE(MakePhoto(dir / "photo.jpg", 48, 32, 11));
  }
  // photo.jpg copied as NAME with the orientation tag written.
  void Tagged(const std::string& name, int tag) {
    fs::copy_file(dir / "photo.jpg", dir / name, fs::copy_options::overwrite_existing);
    ASSERT_TRUE(ExifToolWrite(dir / name, {"-Orientation#=" + std::to_string(tag)}));
  }
  void Batch(const std::vector<std::string>& arguments) {
    const RunResult r = RunBatchTool(arguments, dir.path());
    ASSERT_EQ(r.exitCode, 0) << r.err;
  }
  // PIL turns `from` upright as the tag says and writes it as `to`.
  void PilUpright(const std::string& from, int tag, const std::string& to) {
    std::string code = "import sys\nfrom PIL import Image\nim = Image.open(sys.argv[1])\n";
    if (tag != 1) code += std::string("im = im.transpose(") + kUprightTranspose[tag] + ")\n";
    code += "im.save(sys.argv[2])\n";
    ASSERT_EQ(RunPython(code, {(dir / from).string(), (dir / to).string()}).exitCode, 0);
  }
  RgbaPicture Pil(const std::string& name) {
    const auto picture = PilRgba(dir / name);
    EXPECT_TRUE(picture) << name;
    return picture.value_or(RgbaPicture{});
  }
  TempFolder dir;
};

TEST_F(OrientationTool, EveryTagComesOutUprightFromConvertAndAsImageMagickTurnsIt) {
  Batch({"convert", "--to", "png", "photo.jpg"});  // as stored: the reference pixels
  for (int tag = 1; tag <= 8; ++tag) {
    SCOPED_TRACE("orientation " + std::to_string(tag));
    const std::string name = "o" + std::to_string(tag) + ".jpg";
    Tagged(name, tag);
    Batch({"convert", "--to", "png", name});
    PilUpright("photo.jpg.png", tag, "expected.png");
    EXPECT_EQ(Compare(Pil(name + ".png"), Pil("expected.png")).largest, 0);
    // ImageMagick, an independent reader, turns it the same way (its JPEG decoder differs).
    ASSERT_EQ(RunProgram(
                  {"convert", (dir / name).string(), "-auto-orient", (dir / "magick.png").string()})
                  .exitCode,
              0);
    const Difference d = Compare(Pil(name + ".png"), Pil("magick.png"));
    EXPECT_LT(d.mean, 2.0);
    EXPECT_LE(d.largest, 24);
  }
}

TEST_F(OrientationTool, ResizeRotateQualityAndGreyOutputsAreUprightWithOrientationOne) {
  Tagged("side.jpg", 6);  // stored 48 x 32, seen 32 x 48
  Batch({"resize-jpg", "--pixels", "24", "side.jpg"});
  Batch({"rotate", "--turn", "right", "side.jpg"});
  Batch({"quality", "--quality", "90", "side.jpg"});
  Batch({"greyscale", "side.jpg"});
  Batch({"jpg2bmp", "side.jpg"});
  const std::vector<std::pair<std::string, std::pair<int, int>>> sizes = {
      {"mini-side.jpg", {16, 24}},
      {"right-side.jpg", {48, 32}},
      {"q-side.jpg", {32, 48}},
      {"bw-side.jpg", {32, 48}},
      {"side.jpg.bmp", {32, 48}}};
  for (const auto& [name, size] : sizes) {
    SCOPED_TRACE(name);
    const RgbaPicture out = Pil(name);
    EXPECT_EQ(out.width, size.first);
    EXPECT_EQ(out.height, size.second);
    if (name.ends_with(".jpg")) {
      EXPECT_EQ(ExifToolRead(dir / name, {"Orientation"})["Orientation"], "1");
    }
  }
  // "90 degrees to right" turns the picture as it is seen: upright, then a quarter turn.
  PilUpright("side.jpg.bmp", 1, "seen.png");
  ASSERT_EQ(
      RunPython("import sys\nfrom PIL import Image\n"
                "Image.open(sys.argv[1]).transpose(Image.Transpose.ROTATE_270).save(sys.argv[2])\n",
                {(dir / "seen.png").string(), (dir / "turned.png").string()})
          .exitCode,
      0);
  const Difference d = Compare(Pil("right-side.jpg"), Pil("turned.png"));
  EXPECT_LT(d.mean, 8.0);  // one more JPEG encoding of fine detail apart
  // Turned the other way it would be far off.
  ASSERT_EQ(
      RunPython("import sys\nfrom PIL import Image\n"
                "Image.open(sys.argv[1]).transpose(Image.Transpose.ROTATE_90).save(sys.argv[2])\n",
                {(dir / "seen.png").string(), (dir / "wrong.png").string()})
          .exitCode,
      0);
  EXPECT_GT(Compare(Pil("right-side.jpg"), Pil("wrong.png")).mean, 4 * d.mean);
}

TEST_F(OrientationTool, APortraitPhoneSizePhotoResizedTo800Is600By800) {
  ASSERT_TRUE(MakePhoto(dir / "phone.jpg", 1600, 1200, 3));
  ASSERT_TRUE(ExifToolWrite(dir / "phone.jpg", {"-Orientation#=8"}));
  Batch({"resize-jpg", "phone.jpg"});
  const RgbaPicture out = Pil("mini-phone.jpg");
  EXPECT_EQ(out.width, 600);
  EXPECT_EQ(out.height, 800);
}

TEST_F(OrientationTool, IgnoringTheOrientationLeavesPixelsAndTagAsStored) {
  Tagged("side.jpg", 6);
  Batch({"convert", "--to", "png", "photo.jpg"});
  Batch({"convert", "--to", "png", "--ignore-orientation", "side.jpg"});
  Batch({"resize-jpg", "--pixels", "24", "--ignore-orientation", "side.jpg"});
  EXPECT_EQ(Compare(Pil("side.jpg.png"), Pil("photo.jpg.png")).largest, 0);
  EXPECT_EQ(Pil("mini-side.jpg").width, 24);
  // The tag still tells viewers how to show the stored pixels.
  EXPECT_EQ(ExifToolRead(dir / "mini-side.jpg", {"Orientation"})["Orientation"], "6");
}

TEST_F(OrientationTool, OrientationOneGivesTheBytesOfAnUntaggedPhoto) {
  Tagged("one.jpg", 1);
  for (const std::string command : {"resize-jpg", "quality", "greyscale"}) {
    SCOPED_TRACE(command);
    Batch({command, "--metadata", "strip", "--pixels", "40", "photo.jpg", "one.jpg"});
    const std::string prefix = command == "resize-jpg" ? "mini-"
                               : command == "quality"  ? "q-"
                                                       : "bw-";
    EXPECT_EQ(FileContents(dir / (prefix + "one.jpg")), FileContents(dir / (prefix + "photo.jpg")));
  }
}

}  // namespace
}  // namespace pixtrel::test
