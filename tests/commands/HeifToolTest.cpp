// Phone pictures in HEIC and AVIF through pixtrel-batch: made with Debian's heif-enc and avifenc
// from a PNG, converted to every writable format, turned upright by their irot/imir transforms
// (or left as stored on request), their EXIF carried with orientation 1.
#include <gtest/gtest.h>

#include "tests/commands/CommandTools.h"

namespace fs = std::filesystem;

namespace pixtrel::test {
namespace {

class HeifTool : public ::testing::Test {
 protected:
  void SetUp() override {
    PIXTREL_SKIP_WITHOUT_PIL();
    PIXTREL_SKIP_WITHOUT_PROGRAM("convert");
    PIXTREL_SKIP_WITHOUT_PROGRAM("heif-enc");
    PIXTREL_SKIP_WITHOUT_PROGRAM("avifenc");
    ASSERT_EQ(RunProgram({"convert", "-seed", "8", "-size", "64x40", "plasma:fractal", "-depth",
                          "8", (dir / "source.png").string()})
                  .exitCode,
              0);
  }
  void Batch(const std::vector<std::string>& arguments) {
    const RunResult r = RunBatchTool(arguments, dir.path());
    ASSERT_EQ(r.exitCode, 0) << r.err;
  }
  void Avif(const std::string& name, const std::vector<std::string>& extra) {
    std::vector<std::string> argv{"avifenc", "-l"};
    argv.insert(argv.end(), extra.begin(), extra.end());
    argv.push_back((dir / "source.png").string());
    argv.push_back((dir / name).string());
    const RunResult r = RunProgram(argv);
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
  }
  RgbaPicture Pil(const std::string& name) {
    const auto picture = PilRgba(dir / name);
    EXPECT_TRUE(picture) << name;
    return picture.value_or(RgbaPicture{});
  }
  TempFolder dir;
};

TEST_F(HeifTool, HeicAndAvifConvertToEveryWritableFormat) {
  ASSERT_EQ(RunProgram({"heif-enc", "-q", "90", (dir / "source.png").string(), "-o",
                        (dir / "photo.heic").string()})
                .exitCode,
            0);
  Avif("photo.avif", {});
  for (const std::string source : {"photo.heic", "photo.avif"}) {
    for (const std::string target : {"jpg", "png", "webp", "gif", "bmp"}) {
      SCOPED_TRACE(source + " to " + target);
      Batch({"convert", "--to", target, source});
      const Difference d = Compare(Pil(source + "." + target), Pil("source.png"));
      EXPECT_EQ(Pil(source + "." + target).width, 64);
      // Lossless AVIF is exact; HEIC at quality 90, JPEG and the GIF palette cost a little.
      const bool exact = source == "photo.avif" && (target == "png" || target == "bmp");
      if (exact) {
        EXPECT_EQ(d.largest, 0);
      }
      EXPECT_LT(d.mean, target == "gif" ? 20.0 : 8.0);
    }
  }
}

TEST_F(HeifTool, TransformsTurnThePictureUprightUnlessIgnored) {
  // irot 1: stored as it is, shown a quarter turn counter-clockwise; imir 1: mirrored left-right.
  Avif("rot.avif", {"--irot", "1"});
  Avif("mirror.avif", {"--imir", "1"});
  Batch({"convert", "--to", "png", "rot.avif", "mirror.avif"});
  ASSERT_EQ(RunPython("import sys\nfrom PIL import Image\nim = Image.open(sys.argv[1])\n"
                      "im.transpose(Image.Transpose.ROTATE_90).save(sys.argv[2])\n"
                      "im.transpose(Image.Transpose.FLIP_LEFT_RIGHT).save(sys.argv[3])\n",
                      {(dir / "source.png").string(), (dir / "rot.png").string(),
                       (dir / "mirror.png").string()})
                .exitCode,
            0);
  EXPECT_EQ(Compare(Pil("rot.avif.png"), Pil("rot.png")).largest, 0);
  EXPECT_EQ(Compare(Pil("mirror.avif.png"), Pil("mirror.png")).largest, 0);
  Batch({"convert", "--to", "png", "--ignore-orientation", "rot.avif"});
  EXPECT_EQ(Compare(Pil("rot.avif.png"), Pil("source.png")).largest, 0);
}

TEST_F(HeifTool, ExifComesAlongWithOrientationOne) {
  PIXTREL_SKIP_WITHOUT_EXIFTOOL();
  ASSERT_TRUE(MakePhoto(dir / "tags.jpg", 64, 40, 1));
  ASSERT_TRUE(ExifToolWrite(dir / "tags.jpg", {"-Make=Korvane Phone", "-Orientation#=6"}));
  ASSERT_EQ(RunProgram({"exiftool", "-b", "-o", (dir / "tags.exif").string(), "-exif:all",
                        (dir / "tags.jpg").string()})
                .exitCode,
            0);
  // avifenc turns the EXIF orientation into irot; heif-enc copies the EXIF and adds no transform.
  Avif("tagged.avif", {"--exif", (dir / "tags.exif").string()});
  ASSERT_EQ(RunProgram({"heif-enc", "-q", "90", (dir / "tags.jpg").string(), "-o",
                        (dir / "tagged.heic").string()})
                .exitCode,
            0);
  Batch({"convert", "--to", "jpg", "tagged.avif", "tagged.heic"});
  for (const std::string name : {"tagged.avif.jpg", "tagged.heic.jpg"}) {
    SCOPED_TRACE(name);
    auto tags = ExifToolRead(dir / name, {"Make", "Orientation"});
    EXPECT_EQ(tags["Make"], "Korvane Phone");
    EXPECT_EQ(tags["Orientation"], "1");
  }
  EXPECT_EQ(Pil("tagged.avif.jpg").width, 40);  // turned by its irot
  // Inside a HEIF file the tag only describes: without a transform the picture stays as stored.
  EXPECT_EQ(Pil("tagged.heic.jpg").width, 64);
}

}  // namespace
}  // namespace pixtrel::test
