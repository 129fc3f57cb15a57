// The header probes: a picture's size from the first bytes of a PNG, WebP or HEIF file, and the
// batch's peak estimate that uses them.
#include <gtest/gtest.h>

#include "batch/PeakEstimate.h"
#include "formats/Errors.h"
#include "formats/HeifFile.h"
#include "formats/PngFile.h"
#include "formats/WebpFile.h"
#include "tests/heif/HeifTools.h"

namespace pixtrel::test {
namespace {

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
  for (const char* name : {"source.png", "p.webp", "p.avif"}) {
    EXPECT_EQ(HeaderPixels(folder / name), 70u * 30u) << name;
    EXPECT_EQ(EstimatePeakBytes(folder / name, 2),
              70u * 30u * 3 * 2 + std::filesystem::file_size(folder / name))
        << name;
  }
  WriteBytes(folder / "text.png", Bytes(100, 'x'));
  EXPECT_EQ(HeaderPixels(folder / "text.png"), 0u);
}

}  // namespace
}  // namespace pixtrel::test
