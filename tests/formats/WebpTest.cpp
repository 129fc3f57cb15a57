// WebP files: ours read back by dwebp, webpinfo and webpmux; files made by cwebp and img2webp
// read by us and compared with dwebp's decoding pixel for pixel.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "codecs/png/PngFile.h"
#include "codecs/webp/WebpFile.h"
#include "core/Errors.h"
#include "tests/formats/PictureTools.h"
#include "tests/support/TestSupport.h"

namespace pixtrel::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> AlphaPattern(int width, int height) {
  std::vector<std::uint8_t> alpha(static_cast<std::size_t>(width) * height);
  for (std::size_t i = 0; i < alpha.size(); ++i)
    alpha[i] = static_cast<std::uint8_t>(i * 29 % 256);
  return alpha;
}

// dwebp's decoding of the file, through a PAM file (RGBA).
std::optional<Rgba> DecodeWithDwebp(const fs::path& file) {
  TempFolder scratch;
  const fs::path pam = scratch / "out.pam";
  const RunResult r = Run({"dwebp", "-quiet", "-pam", file.string(), "-o", pam.string()});
  if (r.exitCode != 0) return std::nullopt;
  const Bytes bytes = FileContents(pam);
  const std::string text(bytes.begin(), bytes.end());
  const std::size_t end = text.find("ENDHDR\n");
  if (end == std::string::npos) return std::nullopt;
  Rgba out;
  out.width = std::atoi(text.c_str() + text.find("WIDTH ") + 6);
  out.height = std::atoi(text.c_str() + text.find("HEIGHT ") + 7);
  out.pixels.assign(bytes.begin() + static_cast<std::ptrdiff_t>(end + 7), bytes.end());
  if (out.pixels.size() != static_cast<std::size_t>(out.width) * out.height * 4) {
    return std::nullopt;
  }
  return out;
}

std::string Webpinfo(const fs::path& file) {
  const RunResult r = Run({"webpinfo", file.string()});
  return r.out + r.err;
}

DecodedPicture Picture(Bitmap24 bitmap, const std::vector<std::uint8_t>* alpha) {
  DecodedPicture p;
  p.raster = std::move(bitmap);
  if (alpha) p.alpha = *alpha;
  return p;
}

TEST(WebpWrite, LosslessKeepsEveryPixelAndAlpha) {
  if (!HaveProgram("dwebp"))
    PIXTREL_SKIP_MISSING_TOOL() << "dwebp (Debian package webp) is not installed";
  TempFolder folder;
  const auto alpha = AlphaPattern(45, 31);
  const DecodedPicture source = Picture(TestPattern(45, 31, 3), &alpha);
  const auto file = folder / "lossless.webp";
  WriteBytes(file, EncodeWebp(source.raster, &alpha, {}, WebpSettings{true, 90}));
  const auto theirs = DecodeWithDwebp(file);
  ASSERT_TRUE(theirs.has_value());
  EXPECT_EQ(FirstDifference(RgbaOf(source), *theirs), "");
  const DecodedPicture ours = ReadWebpBytes(FileContents(file));
  EXPECT_TRUE(ours.lossless);
  ASSERT_TRUE(ours.alpha.has_value());
  EXPECT_EQ(FirstDifference(RgbaOf(source), RgbaOf(ours)), "");
  if (HaveProgram("webpinfo")) {
    EXPECT_NE(Webpinfo(file).find("Format: Lossless"), std::string::npos);
  }
}

TEST(WebpWrite, LossyIsCloseToTheSourceAndDecodesAsDwebpDoes) {
  if (!HaveProgram("dwebp"))
    PIXTREL_SKIP_MISSING_TOOL() << "dwebp (Debian package webp) is not installed";
  TempFolder folder;
  Bitmap24 smooth(64, 48);
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 64; ++x) {
      std::uint8_t* p = smooth.row(y) + x * 3;
      p[0] = static_cast<std::uint8_t>(x * 4), p[1] = static_cast<std::uint8_t>(y * 5);
      p[2] = static_cast<std::uint8_t>(128 + (x - y));
    }
  }
  const auto file = folder / "lossy.webp";
  WriteBytes(file, EncodeWebp(smooth, nullptr, {}, WebpSettings{false, 90}));
  const DecodedPicture ours = ReadWebpBytes(FileContents(file));
  EXPECT_FALSE(ours.lossless);
  EXPECT_FALSE(ours.alpha.has_value());
  const auto theirs = DecodeWithDwebp(file);
  ASSERT_TRUE(theirs.has_value());
  EXPECT_EQ(FirstDifference(*theirs, RgbaOf(ours)), "");
  const Bitmap24& back = std::get<Bitmap24>(ours.raster);
  long total = 0;
  for (int y = 0; y < 48; ++y) {
    for (int i = 0; i < 64 * 3; ++i)
      total += std::abs(back.row(y)[i] - smooth.row(y)[i]);
  }
  EXPECT_LT(total / (64 * 48 * 3), 4) << "mean difference per sample";
  if (HaveProgram("webpinfo")) {
    EXPECT_NE(Webpinfo(file).find("Format: Lossy"), std::string::npos);
  }
}

TEST(WebpWrite, LossyKeepsAlpha) {
  if (!HaveProgram("dwebp"))
    PIXTREL_SKIP_MISSING_TOOL() << "dwebp (Debian package webp) is not installed";
  TempFolder folder;
  const auto alpha = AlphaPattern(20, 20);
  const auto file = folder / "alpha.webp";
  WriteBytes(file, EncodeWebp(TestPattern(20, 20), &alpha, {}, WebpSettings{false, 80}));
  const DecodedPicture ours = ReadWebpBytes(FileContents(file));
  ASSERT_TRUE(ours.alpha.has_value());
  EXPECT_EQ(*ours.alpha, alpha);  // alpha is stored losslessly
  const auto theirs = DecodeWithDwebp(file);
  ASSERT_TRUE(theirs.has_value());
  EXPECT_EQ(FirstDifference(*theirs, RgbaOf(ours)), "");
}

TEST(WebpWrite, MetadataChunksAreWrittenAsGiven) {
  if (!HaveProgram("webpmux"))
    PIXTREL_SKIP_MISSING_TOOL() << "webpmux (Debian package webp) is not installed";
  TempFolder folder;
  PictureMetadata metadata;
  metadata.exif = {'M', 'M', 0, '*', 0, 0, 0, 8, 0, 0, 0, 0};
  metadata.icc.assign(500, 7);
  metadata.xmp = {'<', 'x', ':', 'x', 'm', 'p', 'm', 'e', 't', 'a', '/', '>'};
  const auto file = folder / "meta.webp";
  WriteBytes(file, EncodeWebp(TestPattern(10, 10), nullptr, metadata));
  for (const auto& [what, expected] :
       {std::pair{"exif", &metadata.exif}, std::pair{"icc", &metadata.icc},
        std::pair{"xmp", &metadata.xmp}}) {
    const auto out = folder / what;
    const RunResult r = RunProgram({"webpmux", "-get", what, file.string(), "-o", out.string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(FileContents(out), *expected) << what;
  }
  const DecodedPicture back = ReadWebpBytes(FileContents(file));
  EXPECT_EQ(back.metadata.exif, metadata.exif);
  EXPECT_EQ(back.metadata.icc, metadata.icc);
  EXPECT_EQ(back.metadata.xmp, metadata.xmp);
  if (HaveProgram("webpinfo")) {
    EXPECT_NE(Webpinfo(file).find("No error detected"), std::string::npos);
  }
}

TEST(WebpWrite, PaletteBitmapIsExpanded) {
  PaletteBitmap indices(6, 4, 8, {Rgb{10, 20, 30}, Rgb{200, 100, 0}});
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 6; ++x)
      indices.row(y)[x] = static_cast<std::uint8_t>((x + y) % 2);
  }
  const DecodedPicture back = ReadWebpBytes(EncodeWebp(indices, nullptr, {}, {true, 90}));
  EXPECT_TRUE(SamePixels(std::get<Bitmap24>(back.raster), ToBitmap24(indices)));
}

TEST(WebpWrite, RefusesWhatTheFormatCannotHold) {
  EXPECT_THROW((void)EncodeWebp(Bitmap24(16384, 1), nullptr, {}), Exception);
  EXPECT_THROW((void)EncodeWebp(Bitmap24(4, 4), nullptr, {}, {false, 101}), Exception);
  const std::vector<std::uint8_t> alpha(3, 0);
  EXPECT_THROW((void)EncodeWebp(Bitmap24(4, 4), &alpha, {}), Exception);
}

// cwebp's files in every form, read by us and by dwebp.
TEST(WebpRead, FilesMadeByCwebpMatchDwebp) {
  if (!HaveProgram("cwebp") || !HaveProgram("dwebp")) {
    PIXTREL_SKIP_MISSING_TOOL() << "cwebp and dwebp (Debian package webp) are not installed";
  }
  TempFolder folder;
  const auto alpha = AlphaPattern(33, 21);
  WriteBytes(folder / "opaque.png", EncodePng(TestPattern(33, 21, 8), nullptr, {}));
  WriteBytes(folder / "clear.png", EncodePng(TestPattern(33, 21, 8), &alpha, {}));
  struct Form {
    const char* source;
    std::vector<std::string> options;
    bool lossless;
    bool alpha;
  };
  const Form forms[] = {{"opaque.png", {"-q", "75"}, false, false},
                        {"opaque.png", {"-lossless"}, true, false},
                        {"clear.png", {"-q", "60"}, false, true},
                        {"clear.png", {"-lossless", "-exact"}, true, true}};
  int n = 0;
  for (const Form& form : forms) {
    const auto file = folder / ("made" + std::to_string(n++) + ".webp");
    std::vector<std::string> argv{"cwebp", "-quiet"};
    argv.insert(argv.end(), form.options.begin(), form.options.end());
    argv.insert(argv.end(), {(folder / form.source).string(), "-o", file.string()});
    const RunResult r = RunProgram(argv);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    SCOPED_TRACE(file.filename().string());
    const DecodedPicture ours = ReadWebpBytes(FileContents(file));
    EXPECT_EQ(ours.lossless, form.lossless);
    EXPECT_EQ(ours.alpha.has_value(), form.alpha);
    const auto theirs = DecodeWithDwebp(file);
    ASSERT_TRUE(theirs.has_value());
    EXPECT_EQ(FirstDifference(*theirs, RgbaOf(ours)), "");
  }
}

TEST(WebpRead, AnimationGivesItsFirstFrame) {
  if (!HaveProgram("img2webp"))
    PIXTREL_SKIP_MISSING_TOOL() << "img2webp (Debian package webp) is not installed";
  TempFolder folder;
  const Bitmap24 first = TestPattern(24, 18, 1), second = TestPattern(24, 18, 2);
  WriteBytes(folder / "a.png", EncodePng(first, nullptr, {}));
  WriteBytes(folder / "b.png", EncodePng(second, nullptr, {}));
  const auto file = folder / "anim.webp";
  const RunResult r = RunProgram({"img2webp", "-lossless", "-d", "100", (folder / "a.png").string(),
                                  (folder / "b.png").string(), "-o", file.string()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const DecodedPicture ours = ReadWebpBytes(FileContents(file));
  EXPECT_TRUE(ours.lossless);
  EXPECT_EQ(FirstDifference(RgbaOf(Picture(first, nullptr)), RgbaOf(ours)), "");
}

TEST(WebpRead, MetadataAddedByWebpmuxIsFound) {
  if (!HaveProgram("webpmux"))
    PIXTREL_SKIP_MISSING_TOOL() << "webpmux (Debian package webp) is not installed";
  TempFolder folder;
  WriteBytes(folder / "plain.webp", EncodeWebp(TestPattern(8, 8), nullptr, {}));
  const Bytes exif{'I', 'I', '*', 0, 8, 0, 0, 0, 0, 0};
  WriteBytes(folder / "exif.bin", exif);
  const auto file = folder / "tagged.webp";
  const RunResult r = RunProgram({"webpmux", "-set", "exif", (folder / "exif.bin").string(),
                                  (folder / "plain.webp").string(), "-o", file.string()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(ReadWebpBytes(FileContents(file)).metadata.exif, exif);
}

TEST(WebpRead, RefusesWhatIsNotWebp) {
  const std::vector<std::uint8_t> bytes{'R', 'I', 'F', 'F', 4, 0, 0, 0, 'A', 'V', 'I', ' '};
  try {
    (void)ReadWebpBytes(bytes);
    FAIL() << "no error";
  } catch (const Exception& e) {
    EXPECT_EQ(std::string(e.what()).rfind("WebP error: ", 0), 0u) << e.what();
  }
}

}  // namespace
}  // namespace pixtrel::test
