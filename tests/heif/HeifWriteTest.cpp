// AVIF and HEIC files written by our writers, read back by independent decoders (avifdec with
// dav1d, heif-convert with libde265 and dav1d; their PNG output read by PIL or our PNG reader) and
// checked by exiftool: quality against the JPEG the same setting gives, lossless AVIF exact,
// alpha, 10 bits from 16-bit sources, metadata as given and no turning boxes, the limits.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>

#include "codecs/heif/AvifWriter.h"
#include "codecs/heif/HeicWriter.h"
#include "codecs/jpeg/JpegImage.h"
#include "codecs/jpeg/JpegMetadata.h"
#include "codecs/png/PngFile.h"
#include "core/Errors.h"
#include "metadata/ExifBlock.h"
#include "tests/heif/HeifTools.h"

namespace fs = std::filesystem;

namespace pixtrel::test {
namespace {

enum class Kind { Avif, Heic };

Bytes Write(Kind kind, const Raster& raster, const std::vector<std::uint8_t>* alpha,
            const DeepSamples* deep, const PictureMetadata& metadata, int quality,
            bool lossless = false) {
  HeifWriteSettings settings;
  settings.quality = quality;
  settings.lossless = lossless;
  return kind == Kind::Avif ? EncodeAvif(raster, alpha, deep, metadata, settings)
                            : EncodeHeic(raster, alpha, deep, metadata, settings);
}

// The file decoded by an independent program into a PNG (16 bits a sample when asked), read
// back with its deep samples; nothing when the program fails.
std::optional<DecodedPicture> DecodeWith(const std::string& program, const Bytes& file,
                                         const TempFolder& folder, bool sixteenBits = false) {
  const fs::path in = folder / "written.bin", out = folder / "decoded.png";
  WriteBytes(in, file);
  fs::remove(out);
  std::vector<std::string> argv{program};
  if (program == "avifdec") argv.insert(argv.end(), {"--depth", sixteenBits ? "16" : "8"});
  argv.insert(argv.end(), {in.string(), out.string()});
  const RunResult r = RunProgram(argv);
  if (r.exitCode != 0 || !fs::exists(out)) {
    ADD_FAILURE() << program << " failed: " << r.out << r.err;
    return std::nullopt;
  }
  return ReadPngBytes(FileContents(out), true);
}

double Psnr(const Bitmap24& a, const Bitmap24& b) {
  double sum = 0;
  for (int y = 0; y < a.height(); ++y) {
    for (int i = 0; i < a.width() * 3; ++i) {
      const double d = a.row(y)[i] - b.row(y)[i];
      sum += d * d;
    }
  }
  const double mse = sum / (3.0 * a.width() * a.height());
  return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

// A photo-like picture: ImageMagick's plasma with a little noise, as a camera gives.
Bitmap24 Photo(const TempFolder& folder, int width, int height, int seed) {
  const fs::path png = folder / "photo.png";
  const RunResult r =
      RunProgram({"convert", "-seed", std::to_string(seed), "-size",
                  std::to_string(width) + "x" + std::to_string(height), "plasma:fractal", "-blur",
                  "0x1", "-attenuate", "0.05", "+noise", "Gaussian", "-depth", "8", png.string()});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  return ToBitmap24(ReadPngBytes(FileContents(png)).raster);
}

struct JpegReference {
  double psnr = 0;
  std::size_t size = 0;
};

JpegReference Jpeg(const Bitmap24& source, int quality) {
  TJPEGImage jpeg;
  SetJpegRaster(jpeg, Bitmap24(source));
  jpeg.Quality = quality;
  EncodeJpeg(jpeg);
  const Bytes bytes = jpeg.data();
  TJPEGImage back = JpegFromBytes(Bytes(bytes));
  return {Psnr(ToBitmap24(TakeJpegRaster(back)), source), bytes.size()};
}

class HeifWrite : public ::testing::Test {
 protected:
  void SetUp() override {
    PIXTREL_SKIP_WITHOUT_PROGRAM("avifdec") << " (Debian package libavif-bin)";
    PIXTREL_SKIP_WITHOUT_PROGRAM("heif-convert") << " (Debian package libheif-examples)";
    PIXTREL_SKIP_WITHOUT_PROGRAM("convert");
  }
  TempFolder folder;
};

TEST_F(HeifWrite, LossyFilesAreAsGoodAsTheJpegOfTheSameQualityAndSmaller) {
  const Bitmap24 photo = Photo(folder, 320, 240, 11);
  for (const int quality : {50, 75, 89}) {
    const JpegReference jpeg = Jpeg(photo, quality);
    for (const Kind kind : {Kind::Avif, Kind::Heic}) {
      SCOPED_TRACE((kind == Kind::Avif ? "AVIF q" : "HEIC q") + std::to_string(quality));
      const Bytes file = Write(kind, photo, nullptr, nullptr, {}, quality);
      EXPECT_LT(file.size(), jpeg.size);
      for (const char* program : {"heif-convert", kind == Kind::Avif ? "avifdec" : nullptr}) {
        if (!program) continue;
        const auto decoded = DecodeWith(program, file, folder);
        ASSERT_TRUE(decoded.has_value());
        const Bitmap24 pixels = ToBitmap24(decoded->raster);
        ASSERT_EQ(pixels.width(), 320);
        ASSERT_EQ(pixels.height(), 240);
        EXPECT_FALSE(decoded->alpha.has_value());
        EXPECT_GE(Psnr(pixels, photo), jpeg.psnr - 0.3) << program << ", JPEG " << jpeg.psnr;
      }
    }
  }
}

TEST_F(HeifWrite, LosslessAvifGivesBackEverySampleAndItsAlpha) {
  const Bitmap24 source = TestPattern(37, 23, 5);
  const std::vector<std::uint8_t> alpha = AlphaRamp(37, 23);
  for (const bool withAlpha : {false, true}) {
    SCOPED_TRACE(withAlpha ? "RGBA" : "RGB");
    const Bytes file =
        Write(Kind::Avif, source, withAlpha ? &alpha : nullptr, nullptr, {}, 50, true);
    for (const char* program : {"avifdec", "heif-convert"}) {
      const auto decoded = DecodeWith(program, file, folder);
      ASSERT_TRUE(decoded.has_value());
      EXPECT_EQ(MaxDifference(ToBitmap24(decoded->raster), source), 0) << program;
      ASSERT_EQ(decoded->alpha.has_value(), withAlpha) << program;
      if (withAlpha) {
        EXPECT_EQ(*decoded->alpha, alpha) << program;
      }
    }
  }
  // PIL reads the last decoder's PNG (heif-convert's, with alpha) alike.
  PIXTREL_SKIP_WITHOUT_PIL();
  const auto pil = PilRgba(folder / "decoded.png");
  ASSERT_TRUE(pil.has_value());
  for (int y = 0; y < 23; ++y) {
    for (int x = 0; x < 37; ++x) {
      const Bgr expected = PixelAt(source, x, y);
      const std::uint8_t* got = pil->at(x, y);
      ASSERT_EQ(Bgr({got[2], got[1], got[0]}), expected) << x << ", " << y;
      ASSERT_EQ(got[3], alpha[static_cast<std::size_t>(y) * 37 + x]);
    }
  }
}

TEST_F(HeifWrite, LossyFilesKeepTheirAlpha) {
  const Bitmap24 photo = Photo(folder, 64, 48, 3);
  const std::vector<std::uint8_t> alpha = AlphaRamp(64, 48);
  // AVIF keeps alpha losslessly; HEIC codes it at the colour's quality.
  for (const Kind kind : {Kind::Avif, Kind::Heic}) {
    SCOPED_TRACE(kind == Kind::Avif ? "AVIF" : "HEIC");
    const auto decoded =
        DecodeWith("heif-convert", Write(kind, photo, &alpha, nullptr, {}, 89), folder);
    ASSERT_TRUE(decoded.has_value());
    ASSERT_TRUE(decoded->alpha.has_value());
    double sum = 0;
    int most = 0;
    for (std::size_t i = 0; i < alpha.size(); ++i) {
      const int d = std::abs((*decoded->alpha)[i] - alpha[i]);
      sum += d;
      most = std::max(most, d);
    }
    if (kind == Kind::Avif) {
      EXPECT_EQ(most, 0);
    } else {
      EXPECT_LT(sum / static_cast<double>(alpha.size()), 1.5);
    }
  }
}

// A 16-bit PNG made by ImageMagick: a smooth ramp that 8 bits would band.
DecodedPicture DeepSource(const TempFolder& folder, bool withAlpha) {
  const fs::path png = folder / "deep.png";
  std::vector<std::string> argv{"convert", "-size", "96x64",
                                "gradient:rgb(2%,10%,80%)-rgb(7%,30%,60%)"};
  if (withAlpha) {
    argv.insert(argv.end(), {"(", "-size", "96x64", "gradient:gray(30%)-gray(90%)", ")", "-alpha",
                             "off", "-compose", "CopyOpacity", "-composite"});
  }
  argv.insert(argv.end(), {"-depth", "16", png.string()});
  const RunResult r = RunProgram(argv);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  DecodedPicture picture = ReadPngBytes(FileContents(png), true);
  EXPECT_TRUE(picture.deep.has_value());
  return picture;
}

// The largest difference between two sets of 16-bit samples, in 16-bit steps.
int MaxDeepDifference(const DeepSamples& a, const DeepSamples& b) {
  if (a.samples.size() != b.samples.size() || a.channels != b.channels) return 65535;
  int most = 0;
  for (std::size_t i = 0; i < a.samples.size(); ++i)
    most = std::max(most, std::abs(int{a.samples[i]} - int{b.samples[i]}));
  return most;
}

TEST_F(HeifWrite, SixteenBitSourcesAreWrittenWithTenBits) {
  for (const bool withAlpha : {false, true}) {
    SCOPED_TRACE(withAlpha ? "RGBA" : "RGB");
    const DecodedPicture source = DeepSource(folder, withAlpha);
    ASSERT_TRUE(source.deep.has_value());
    const std::vector<std::uint8_t>* alpha = source.alpha ? &*source.alpha : nullptr;
    // Lossless: every sample within half a 10-bit step; 8 bits would be 128 steps off.
    const Bytes lossless = Write(Kind::Avif, source.raster, alpha, &*source.deep, {}, 89, true);
    const auto back = DecodeWith("avifdec", lossless, folder, true);
    ASSERT_TRUE(back.has_value());
    EXPECT_NE(RunProgram({"avifdec", "--info", (folder / "written.bin").string()})
                  .out.find("Bit Depth      : 10"),
              std::string::npos);
    ASSERT_TRUE(back->deep.has_value());
    EXPECT_LE(MaxDeepDifference(*back->deep, *source.deep), 33);

    for (const Kind kind : {Kind::Avif, Kind::Heic}) {
      SCOPED_TRACE(kind == Kind::Avif ? "AVIF" : "HEIC");
      const Bytes lossy = Write(kind, source.raster, alpha, &*source.deep, {}, 89);
      if (kind == Kind::Avif) {
        WriteBytes(folder / "lossy.avif", lossy);
        const std::string info =
            RunProgram({"avifdec", "--info", (folder / "lossy.avif").string()}).out;
        for (const char* line : {"Bit Depth      : 10\n", "Format         : YUV420\n",
                                 "Range          : Full\n", "Matrix Coeffs. : 6\n"})
          EXPECT_NE(info.find(line), std::string::npos) << line << info;
      }
      const auto decoded = DecodeWith("heif-convert", lossy, folder);
      ASSERT_TRUE(decoded.has_value());
      ASSERT_TRUE(decoded->deep.has_value()) << "heif-convert wrote 8 bits: the file has 8";
      EXPECT_LE(MaxDeepDifference(*decoded->deep, *source.deep), 2048);
    }
  }
}

TEST_F(HeifWrite, DeepSamplesThatNoLongerShowThePictureAreNotUsed) {
  DecodedPicture source = DeepSource(folder, false);
  auto& bitmap = std::get<Bitmap24>(source.raster);
  bitmap.row(5)[7] ^= 0x40;  // a step changed the picture after reading
  const auto decoded = DecodeWith(
      "avifdec", Write(Kind::Avif, source.raster, nullptr, &*source.deep, {}, 89, true), folder);
  EXPECT_NE(RunProgram({"avifdec", "--info", (folder / "written.bin").string()})
                .out.find("Bit Depth      : 8"),
            std::string::npos);
  ASSERT_TRUE(decoded.has_value());
  EXPECT_EQ(MaxDifference(ToBitmap24(decoded->raster), bitmap), 0);
}

TEST_F(HeifWrite, MetadataIsWrittenAsGivenAndNothingTurnsThePicture) {
  PIXTREL_SKIP_WITHOUT_PROGRAM("exiftool");
  const fs::path adobe = "/usr/share/color/icc/colord/AdobeRGB1998.icc";
  if (!fs::exists(adobe)) PIXTREL_SKIP_MISSING_TOOL() << adobe << " (Debian package colord-data)";
  // The blocks as a JPEG of exiftool's carries them; its orientation tag says 6 on purpose: the
  // writer must not turn it into a rotation box.
  const fs::path tagged = folder / "tagged.jpg";
  ASSERT_EQ(
      RunProgram({"convert", "-size", "48x32", "gradient:red-blue", tagged.string()}).exitCode, 0);
  ASSERT_EQ(RunProgram({"exiftool", "-q", "-overwrite_original", "-Make=Korvane Test Camera",
                        "-Orientation#=6", "-XMP-dc:Title=Lake", "-ICC_Profile<=" + adobe.string(),
                        tagged.string()})
                .exitCode,
            0);
  PictureMetadata metadata = ReadJpegMetadata(FileContents(tagged));
  const auto tiff = TiffPart(metadata.exif);
  metadata.exif.assign(tiff.begin(), tiff.end());
  ASSERT_FALSE(metadata.exif.empty());
  ASSERT_FALSE(metadata.xmp.empty());
  ASSERT_EQ(metadata.icc, FileContents(adobe));

  const Bitmap24 picture = TestPattern(48, 32, 2);
  for (const Kind kind : {Kind::Avif, Kind::Heic}) {
    SCOPED_TRACE(kind == Kind::Avif ? "AVIF" : "HEIC");
    const Bytes file = Write(kind, picture, nullptr, nullptr, metadata, 80);
    const fs::path written = folder / (kind == Kind::Avif ? "m.avif" : "m.heic");
    WriteBytes(written, file);
    const RunResult tags =
        RunProgram({"exiftool", "-s", "-n", "-Make", "-Orientation", "-XMP-dc:Title",
                    "-ICC_Profile:ProfileDescription", written.string()});
    EXPECT_NE(tags.out.find("Make                            : Korvane Test Camera"),
              std::string::npos)
        << tags.out;
    EXPECT_NE(tags.out.find(": 6"), std::string::npos) << tags.out;
    EXPECT_NE(tags.out.find("Title                           : Lake"), std::string::npos)
        << tags.out;
    EXPECT_NE(tags.out.find("Adobe RGB (1998)"), std::string::npos) << tags.out;
    const RunResult profile = RunProgram({"exiftool", "-b", "-ICC_Profile", written.string()});
    EXPECT_EQ(Bytes(profile.out.begin(), profile.out.end()), metadata.icc);
    EXPECT_EQ(Find(file, "irot"), std::string::npos);
    EXPECT_EQ(Find(file, "imir"), std::string::npos);
    // Shown as stored: the decoders turn nothing.
    const auto decoded = DecodeWith("heif-convert", file, folder);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(RasterWidth(decoded->raster), 48);
    EXPECT_EQ(RasterHeight(decoded->raster), 32);
  }
}

TEST_F(HeifWrite, SmallOddAndColourIndexPicturesComeOutWhole) {
  PaletteBitmap indices(3, 5, 8, {Rgb{255, 0, 0}, Rgb{0, 128, 255}});
  for (std::size_t i = 0; i < indices.pixelCount(); ++i)
    indices.data()[i] = static_cast<std::uint8_t>(i % 2);
  for (const Kind kind : {Kind::Avif, Kind::Heic}) {
    for (const Raster& raster : {Raster(Bitmap24(1, 1, 90)), Raster(indices)}) {
      const auto decoded =
          DecodeWith("heif-convert", Write(kind, raster, nullptr, nullptr, {}, 89), folder);
      ASSERT_TRUE(decoded.has_value());
      EXPECT_EQ(RasterWidth(decoded->raster), RasterWidth(raster));
      EXPECT_EQ(RasterHeight(decoded->raster), RasterHeight(raster));
    }
  }
  const auto exact =
      DecodeWith("avifdec", Write(Kind::Avif, indices, nullptr, nullptr, {}, 89, true), folder);
  ASSERT_TRUE(exact.has_value());
  EXPECT_EQ(MaxDifference(ToBitmap24(exact->raster), ToBitmap24(Raster(indices))), 0);
}

TEST(HeifWriteLimits, PicturesBeyondTheEncodersAreRefusedBeforeEncoding) {
  const Bitmap24 wide(16385, 2);
  const PaletteBitmap big(8193, 8193, 8, {Rgb{}});
  for (const bool avif : {true, false}) {
    try {
      avif ? EncodeAvif(wide, nullptr, nullptr, {}, {})
           : EncodeHeic(wide, nullptr, nullptr, {}, {});
      ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
      EXPECT_EQ(std::string(e.what()).rfind(std::string("Picture too large to write as ") +
                                                (avif ? "AVIF" : "HEIC") + ": 16385 x 2 pixels",
                                            0),
                0u)
          << e.what();
    }
    try {
      avif ? EncodeAvif(big, nullptr, nullptr, {}, {}) : EncodeHeic(big, nullptr, nullptr, {}, {});
      ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
      EXPECT_NE(std::string(e.what()).find("8193 x 8193 pixels"), std::string::npos) << e.what();
    }
  }
}

TEST(HeifWriteLimits, AnAlphaPlaneOfAnotherSizeIsRefused) {
  const std::vector<std::uint8_t> alpha(5, 255);
  EXPECT_THROW(EncodeAvif(Bitmap24(4, 4), &alpha, nullptr, {}, {}), EBitmapError);
  EXPECT_THROW(EncodeHeic(Bitmap24(4, 4), &alpha, nullptr, {}, {}), EBitmapError);
}

// The encoders are asked for before every write; a system without one gets a message naming the
// missing encoder (Debian's libheif has both, so only the choice itself is reached).
TEST(HeifWriteEncoders, AMissingEncoderIsNamed) {
  const auto message = [](const std::function<void()>& write) -> std::string {
    try {
      write();
    } catch (const Exception& e) {
      return e.what();
    }
    return "";
  };
  EXPECT_EQ(message([] { RequireHevcEncoder(false); }),
            "Cannot write HEIC files: this system's libheif has no HEVC encoder");
  EXPECT_EQ(message([] { ChooseAv1Encoder(false, false); }),
            "Cannot write AVIF files: this system's libheif has no AV1 encoder");
  EXPECT_EQ(message([] { RequireHevcEncoder(true); }), "");
  EXPECT_EQ(ChooseAv1Encoder(true, true), Av1Encoder::Aom);
  EXPECT_EQ(ChooseAv1Encoder(false, true), Av1Encoder::Other);
}

}  // namespace
}  // namespace pixtrel::test
