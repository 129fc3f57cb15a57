// BMP reading in every supported form, checked against pixels built independently of our writer,
// and BMP writing checked with an independent reader.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "codecs/bmp/Bmp.h"
#include "core/Errors.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;
using namespace pixtrel;
using namespace pixtrel::test;

namespace {

std::vector<std::uint8_t> TopDownRgb(const Bitmap24& b) {
  std::vector<std::uint8_t> rgb;
  for (int y = 0; y < b.height(); ++y) {
    for (int x = 0; x < b.width(); ++x) {
      const Bgr p = PixelAt(b, x, y);
      rgb.insert(rgb.end(), {p.r, p.g, p.b});
    }
  }
  return rgb;
}

Bytes FileContents(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

class BmpForms : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new TempFolder;
    const std::string python = PythonWithPil().value_or("python3");
    generated_ = RunProgram({python, PIXTREL_SOURCE_DIR "/tests/core/make_bmp_forms.py",
                             folder_->path().string()})
                     .exitCode == 0;
  }
  static void TearDownTestSuite() {
    delete folder_;
    folder_ = nullptr;
  }
  void SetUp() override {
    if (!generated_) PIXTREL_SKIP_MISSING_TOOL() << "python3 builds the BMP forms";
  }
  static TempFolder* folder_;
  static bool generated_;
};
TempFolder* BmpForms::folder_ = nullptr;
bool BmpForms::generated_ = false;

TEST_F(BmpForms, EveryFormReadsToTheExpectedPixels) {
  int forms = 0;
  for (const auto& entry : fs::directory_iterator(folder_->path())) {
    if (entry.path().extension() != ".bmp") continue;
    SCOPED_TRACE(entry.path().filename().string());
    const Raster raster = ReadBmpFile(entry.path());
    const std::string name = entry.path().stem().string();
    const bool palette =
        name.find("bpp") != std::string::npos &&
        (name.find("_1bpp") != std::string::npos || name.find("_4bpp") != std::string::npos ||
         name.find("_8bpp") != std::string::npos);
    if (palette || name.rfind("rle", 0) == 0) {
      EXPECT_TRUE(std::holds_alternative<PaletteBitmap>(raster));
    } else {
      EXPECT_TRUE(std::holds_alternative<Bitmap24>(raster));
    }
    const Bytes expected = FileContents(fs::path(entry.path()).replace_extension(".rgb"));
    EXPECT_EQ(TopDownRgb(ToBitmap24(raster)), expected);
    ++forms;
  }
  EXPECT_EQ(forms, 20);
}

TEST_F(BmpForms, PaletteFilesKeepTheirTable) {
  const Raster raster = ReadBmpFile(folder_->path() / "info40_8bpp_20colours.bmp");
  const auto& p = std::get<PaletteBitmap>(raster);
  EXPECT_EQ(p.bitsPerPixel(), 8);
  EXPECT_EQ(p.palette().size(), 20u);
  EXPECT_EQ(
      std::get<PaletteBitmap>(ReadBmpFile(folder_->path() / "core12_4bpp.bmp")).palette().size(),
      16u);
  EXPECT_EQ(
      std::get<PaletteBitmap>(ReadBmpFile(folder_->path() / "info40_1bpp.bmp")).bitsPerPixel(), 1);
}

// The generator's files are only evidence if another reader agrees with them.
TEST_F(BmpForms, IndependentReaderAgreesWithTheGeneratedFiles) {
  if (!PythonWithPil()) PIXTREL_SKIP_MISSING_TOOL() << "Python with PIL";
  for (const char* name :
       {"core12_1bpp", "core12_4bpp", "core12_8bpp", "core12_24bpp", "info40_1bpp", "info40_4bpp",
        "info40_8bpp", "info40_8bpp_20colours", "info40_8bpp_topdown", "info40_24bpp",
        "info40_24bpp_topdown", "info40_32bpp", "v5_124_32bpp_fields"}) {
    SCOPED_TRACE(name);
    const auto pil = ReadWithPil(folder_->path() / (std::string(name) + ".bmp"));
    ASSERT_TRUE(pil.has_value());
    EXPECT_EQ(pil->rgb, FileContents(folder_->path() / (std::string(name) + ".rgb")));
  }
}

TEST(BmpReader, FilesFromAnIndependentWriter) {
  if (!HaveProgram("convert") || !PythonWithPil())
    PIXTREL_SKIP_MISSING_TOOL() << "ImageMagick and PIL";
  TempFolder folder;
  ASSERT_EQ(RunProgram({"convert", "-size", "31x17", "plasma:fractal", "-seed", "3",
                        (folder / "src.ppm").string()})
                .exitCode,
            0);
  // A 12-byte core header, a 124-byte header with masks, and a run-length 8-bit file.
  struct Form {
    const char* name;
    std::vector<std::string> args;
  };
  const std::vector<Form> forms = {
      {"core.bmp", {"-type", "TrueColor", "BMP2:"}},
      {"v5.bmp", {"-type", "TrueColorAlpha", "BMP:"}},
      {"rle.bmp", {"-colors", "64", "-compress", "RLE", "BMP3:"}},
  };
  for (const Form& form : forms) {
    SCOPED_TRACE(form.name);
    std::vector<std::string> argv{"convert", (folder / "src.ppm").string()};
    argv.insert(argv.end(), form.args.begin(), form.args.end() - 1);
    argv.push_back(form.args.back() + (folder / form.name).string());
    ASSERT_EQ(RunProgram(argv).exitCode, 0);
    const auto pil = ReadWithPil(folder / form.name);
    ASSERT_TRUE(pil.has_value());
    EXPECT_EQ(TopDownRgb(ToBitmap24(ReadBmpFile(folder / form.name))), pil->rgb);
  }
}

TEST(BmpReader, EmptyFileIsAnEmptyPicture) {
  TempFolder folder;
  WriteBytes(folder / "empty.bmp", {});
  EXPECT_TRUE(RasterEmpty(ReadBmpFile(folder / "empty.bmp")));
}

TEST(BmpReader, MissingFileNamesThePath) {
  try {
    ReadBmpFile("no-such-folder/missing.bmp");
    FAIL();
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(),
                 "Cannot open file no-such-folder/missing.bmp: No such file or directory");
  }
}

TEST(BmpWriter, IndependentReaderSeesOurPixels) {
  if (!PythonWithPil()) PIXTREL_SKIP_MISSING_TOOL() << "Python with PIL";
  TempFolder folder;
  const Bitmap24 colour = TestPattern(23, 9);
  WriteBmpFile(colour, folder / "colour.bmp");
  auto pil = ReadWithPil(folder / "colour.bmp");
  ASSERT_TRUE(pil.has_value());
  EXPECT_EQ(pil->mode, "RGB");
  EXPECT_EQ(pil->rgb, TopDownRgb(colour));

  PaletteBitmap indices(5, 3, 4, {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}});
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x)
      indices.row(y)[x] = static_cast<std::uint8_t>((x + y) % 3);
  WriteBmpFile(indices, folder / "indices.bmp");
  pil = ReadWithPil(folder / "indices.bmp");
  ASSERT_TRUE(pil.has_value());
  EXPECT_EQ(pil->mode, "P");
  EXPECT_EQ(pil->rgb, TopDownRgb(ExpandToBitmap24(indices)));

  // Read back: 8 bits per pixel, the table's own colours first, padded to 2^bits entries.
  const auto back = std::get<PaletteBitmap>(ReadBmpFile(folder / "indices.bmp"));
  EXPECT_EQ(back.bitsPerPixel(), 8);
  ASSERT_EQ(back.palette().size(), 16u);
  EXPECT_EQ(back.palette()[1], (Rgb{0, 255, 0}));
  EXPECT_EQ(back.palette()[15], (Rgb{0, 0, 0}));
}

TEST(BmpWriter, RastersWithoutPixels) {
  for (const Raster& r : {Raster(Bitmap24(0, 5)), Raster(Bitmap24(3, 0)),
                          Raster(PaletteBitmap(0, 3, 8, {{1, 2, 3}}))}) {
    const Bytes bytes = EncodeBmp(r);
    ASSERT_GE(bytes.size(), 54u);
    EXPECT_TRUE(RasterEmpty(DecodeBmp(bytes)));
  }
}

TEST(BmpWriter, HeaderFields) {
  const Bytes bytes = EncodeBmp(Bitmap24(3, 2));
  ASSERT_EQ(bytes.size(), 54u + 12u * 2);  // rows of 9 bytes padded to 12
  EXPECT_EQ(bytes[0], 'B');
  EXPECT_EQ(bytes[1], 'M');
  EXPECT_EQ(bytes[2], bytes.size());
  EXPECT_EQ(bytes[10], 54);
  EXPECT_EQ(bytes[14], 40);
  EXPECT_EQ(bytes[28], 24);
  EXPECT_EQ(bytes[30], 0);  // no compression
}

}  // namespace
