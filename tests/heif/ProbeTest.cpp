// The header probes: a picture's size from the first bytes of a PNG, WebP or HEIF file, and the
// batch's peak estimate that uses them.
#include <gtest/gtest.h>

#include <filesystem>

#include "batch/PeakEstimate.h"
#include "codecs/heif/HeifFile.h"
#include "codecs/png/PngFile.h"
#include "codecs/webp/WebpFile.h"
#include "core/Errors.h"
#include "tests/heif/HeifTools.h"

namespace pixtrel::test {
namespace {

namespace fs = std::filesystem;

using Probe = std::optional<PictureSize> (*)(std::span<const std::uint8_t>);

// The probe's answer for the first `size` bytes, as "W x H" or "none".
std::string Probed(Probe probe, const Bytes& file, std::size_t size) {
  const auto result = probe(std::span(file).first(std::min(size, file.size())));
  return result ? std::to_string(result->width) + " x " + std::to_string(result->height) : "none";
}

TEST(Probe, PngNeedsTheSignatureAndIhdr) {
  const auto alpha = AlphaRamp(300, 7);
  const Bytes file = EncodePng(TestPattern(300, 7), &alpha, {});
  EXPECT_EQ(Probed(ProbePng, file, file.size()), "300 x 7");
  EXPECT_EQ(Probed(ProbePng, file, 24), "300 x 7");
  EXPECT_EQ(Probed(ProbePng, file, 23), "none");
  const auto changed = [&](std::size_t at, std::uint8_t value) {
    Bytes copy = file;
    copy[at] = value;
    return Probed(ProbePng, copy, copy.size());
  };
  EXPECT_EQ(changed(1, 'p'), "none");    // signature
  EXPECT_EQ(changed(12, 'i'), "none");   // first chunk not IHDR
  EXPECT_EQ(changed(16, 0x80), "none");  // width beyond 2^31 - 1
  Bytes zero = file;
  std::fill_n(zero.begin() + 20, 4, 0);  // no rows
  EXPECT_EQ(Probed(ProbePng, zero, zero.size()), "none");
}

TEST(Probe, WebpGivesTheCanvas) {
  const Bitmap24 picture = TestPattern(45, 31);
  const auto alpha = AlphaRamp(45, 31);
  const Bytes lossy = EncodeWebp(picture, nullptr, {});
  const Bytes lossless = EncodeWebp(picture, &alpha, {}, WebpSettings{true, 90});
  PictureMetadata metadata;
  metadata.icc.assign(100000, 7);  // a VP8X file whose bitstream lies past the head
  const Bytes extended = EncodeWebp(picture, nullptr, metadata);
  EXPECT_EQ(Probed(ProbeWebp, lossy, 64), "45 x 31");
  EXPECT_EQ(Probed(ProbeWebp, lossless, 64), "45 x 31");
  EXPECT_EQ(Probed(ProbeWebp, extended, 30), "45 x 31");
  EXPECT_EQ(Probed(ProbeWebp, lossy, 11), "none");
  // A bare bitstream, as libwebp also accepts, is not a file.
  EXPECT_EQ(Probed(ProbeWebp, Bytes(lossless.begin() + 20, lossless.end()), 64), "none");
  Bytes wrong = lossy;
  wrong[8] = 'X';
  EXPECT_EQ(Probed(ProbeWebp, wrong, 64), "none");
}

TEST(Probe, AnimatedWebpGivesTheCanvas) {
  PIXTREL_SKIP_WITHOUT_PROGRAM("img2webp") << " (Debian package webp)";
  TempFolder folder;
  WriteBytes(folder / "a.png", EncodePng(TestPattern(40, 20, 1), nullptr, {}));
  WriteBytes(folder / "b.png", EncodePng(TestPattern(40, 20, 2), nullptr, {}));
  const auto out = folder / "anim.webp";
  ASSERT_EQ(RunProgram({"img2webp", "-lossy", (folder / "a.png").string(),
                        (folder / "b.png").string(), "-o", out.string()})
                .exitCode,
            0);
  EXPECT_EQ(Probed(ProbeWebp, FileContents(out), 64), "40 x 20");
}

TEST(Probe, HeifNeedsOnlyTheBoxesBeforeThePictureData) {
  PIXTREL_SKIP_WITHOUT_ENCODER("avifenc");
  PIXTREL_SKIP_WITHOUT_ENCODER("heif-enc");
  TempFolder folder;
  const auto png = WriteSourcePng(folder, TestPattern(50, 26));
  for (const Bytes& file : {Encode(folder, "avifenc", {}, png, "p.avif"),
                            Encode(folder, "heif-enc", {"-q", "50"}, png, "p.heic")}) {
    const std::size_t data = Find(file, "mdat");
    ASSERT_NE(data, std::string::npos);
    EXPECT_EQ(Probed(ProbeHeif, file, file.size()), "50 x 26");
    EXPECT_EQ(Probed(ProbeHeif, file, data + 4), "50 x 26");
    EXPECT_THROW((void)ReadHeifBytes(std::span(file).first(data + 4)), Exception);
    EXPECT_EQ(Probed(ProbeHeif, file, Find(file, "ispe")), "none");
    EXPECT_EQ(Probed(ProbeHeif, file, 11), "none");
  }
}

TEST(Probe, PeakEstimateKnowsTheNewFormats) {
  PIXTREL_SKIP_WITHOUT_ENCODER("avifenc");
  TempFolder folder;
  const Bitmap24 picture = TestPattern(70, 30);
  const auto png = WriteSourcePng(folder, picture);
  WriteBytes(folder / "p.webp", EncodeWebp(picture, nullptr, {}));
  ASSERT_FALSE(Encode(folder, "avifenc", {}, png, "p.avif").empty());
  // What the reader holds while decoding a pixel, plus a 3-byte copy: a PNG as BGR and alpha, a
  // WebP without alpha as BGR, an AVIF in libheif's planes and pictures and ours.
  for (const auto& [name, perPixel] :
       {std::pair{"source.png", 4 + 3}, std::pair{"p.webp", 3 + 3}, std::pair{"p.avif", 12 + 3}}) {
    EXPECT_EQ(HeaderPixels(folder / name), 70u * 30u) << name;
    EXPECT_EQ(EstimatePeakBytes(folder / name, 2),
              70u * 30u * perPixel + std::filesystem::file_size(folder / name))
        << name;
  }
  WriteBytes(folder / "text.png", Bytes(100, 'x'));
  EXPECT_EQ(HeaderPixels(folder / "text.png"), 0u);
}

TEST(Probe, PeakEstimateCountsWhatTheReadersHold) {
  PIXTREL_SKIP_WITHOUT_PROGRAM("img2webp") << " (Debian package webp)";
  TempFolder folder;
  // An animation of 1500 x 1000 frames: libwebp holds its canvas twice, besides our picture and
  // alpha plane: 12 bytes a pixel.
  const Bitmap24 picture = TestPattern(1500, 1000);
  WriteBytes(folder / "a.png", EncodePng(picture, nullptr, {}));
  WriteBytes(folder / "b.png", EncodePng(TestPattern(1500, 1000, 2), nullptr, {}));
  const auto anim = folder / "anim.webp";
  ASSERT_EQ(RunProgram({"img2webp", "-lossy", "-q", "20", (folder / "a.png").string(),
                        (folder / "b.png").string(), "-o", anim.string()})
                .exitCode,
            0);
  const std::uint64_t pixels = 1500 * 1000;
  EXPECT_EQ(EstimatePeakBytes(anim, 4), pixels * (12 + 9) + fs::file_size(anim));
  // An interlaced PNG is first held as BGRA, besides the picture and alpha plane.
  const Bytes png = FileContents(folder / "a.png");
  Bytes interlaced = png;
  interlaced[28] = 1;  // only the header is read
  WriteBytes(folder / "i.png", interlaced);
  EXPECT_EQ(EstimatePeakBytes(folder / "i.png", 1), pixels * 8 + interlaced.size());
  // What pixtrel-batch takes to convert the animation (its peak, as GNU time tells it) stays
  // within the estimate, plus the program itself.
  PIXTREL_SKIP_WITHOUT_PROGRAM("/usr/bin/time") << " (Debian package time)";
  const RunResult r =
      RunProgram({"/usr/bin/time", "-f", "%M", PIXTREL_BATCH_PATH, "convert", "--to", "bmp", "-q",
                  "--jobs", "1", "-C", folder.path().string(), "anim.webp"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const long peakKiB = std::stol(LastLine(r.err));
  EXPECT_LT(peakKiB * 1024, static_cast<long>(EstimatePeakBytes(anim, 4)) + (32L << 20))
      << peakKiB << " KiB";
}

}  // namespace
}  // namespace pixtrel::test
