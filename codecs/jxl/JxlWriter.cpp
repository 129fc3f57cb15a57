#include <jxl/encode.h>
#include <jxl/encode_cxx.h>

#include <cmath>
#include <string>

#include "codecs/jxl/JxlFile.h"
#include "codecs/jxl/JxlRunner.h"
#include "core/Errors.h"
#include "core/Limits.h"
#include "io/QuietStderr.h"

namespace pixtrel {
namespace {

[[noreturn]] void Fail(const std::string& reason) {
  throw Exception("JPEG XL error: " + reason);
}

// Effort 7 is cjxl's default and costs about four times effort 5 for files a few percent
// smaller; a batch of photos is better served by 5 for lossy pictures. Lossless pictures take
// effort 3 (fast prediction and context modelling; effort 7 is over ten times slower). The JPEG
// recompression keeps libjxl's default: it only rearranges the JPEG's own coefficients.
constexpr int kLossyEffort = 5;
constexpr int kLosslessEffort = 3;
constexpr int kRecompressEffort = 7;

const char* ErrorText(JxlEncoderError error) {
  switch (error) {
    case JXL_ENC_ERR_OOM:
      return "out of memory";
    case JXL_ENC_ERR_JBRD:
      return "this JPEG cannot be stored for exact reconstruction";
    case JXL_ENC_ERR_BAD_INPUT:
      return "the encoder refused the input";
    case JXL_ENC_ERR_NOT_SUPPORTED:
      return "not supported by the encoder";
    default:
      return "cannot encode the picture";
  }
}

[[noreturn]] void FailWith(JxlEncoder* encoder) {
  Fail(ErrorText(JxlEncoderGetError(encoder)));
}

void Check(JxlEncoderStatus status, JxlEncoder* encoder) {
  if (status != JXL_ENC_SUCCESS) FailWith(encoder);
}

JxlEncoderPtr MakeEncoder() {
  JxlEncoderPtr encoder = JxlEncoderMake(nullptr);
  if (!encoder) Fail("out of memory");
  Check(JxlEncoderSetParallelRunner(encoder.get(), jxl::PoolRunner, nullptr), encoder.get());
  return encoder;
}

// Collects the encoder's output once every input is closed.
std::vector<std::uint8_t> Output(JxlEncoder* encoder) {
  std::vector<std::uint8_t> file(std::size_t{64} << 10);
  std::uint8_t* next = file.data();
  std::size_t room = file.size();
  for (;;) {
    const JxlEncoderStatus status = JxlEncoderProcessOutput(encoder, &next, &room);
    if (status == JXL_ENC_SUCCESS) break;
    if (status != JXL_ENC_NEED_MORE_OUTPUT) FailWith(encoder);
    const std::size_t used = static_cast<std::size_t>(next - file.data());
    file.resize(file.size() * 2);
    next = file.data() + used;
    room = file.size() - used;
  }
  file.resize(static_cast<std::size_t>(next - file.data()));
  return file;
}

// An Exif box holds the offset to the TIFF header (0 here) before the TIFF structure.
std::vector<std::uint8_t> ExifBox(const std::vector<std::uint8_t>& tiff) {
  std::vector<std::uint8_t> box(4, 0);
  box.insert(box.end(), tiff.begin(), tiff.end());
  return box;
}

// RGB or RGBA rows, tightly packed, as libjxl takes them.
std::vector<std::uint8_t> Interleave(const Bitmap24& bitmap,
                                     const std::vector<std::uint8_t>* alpha) {
  const int width = bitmap.width(), channels = alpha ? 4 : 3;
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * bitmap.height() * channels);
  std::uint8_t* out = pixels.data();
  for (int y = 0; y < bitmap.height(); ++y) {
    const std::uint8_t* in = bitmap.row(y);
    const std::uint8_t* a = alpha ? alpha->data() + static_cast<std::size_t>(y) * width : nullptr;
    for (int x = 0; x < width; ++x, in += 3, out += channels) {
      out[0] = in[2];
      out[1] = in[1];
      out[2] = in[0];
      if (a) out[3] = a[x];
    }
  }
  return pixels;
}

// One attempt; withIcc false writes the picture as sRGB.
std::vector<std::uint8_t> Encode(const std::vector<std::uint8_t>& pixels, int width, int height,
                                 bool hasAlpha, const PictureMetadata& metadata,
                                 const JxlSettings& settings, bool lossless, bool withIcc) {
  JxlEncoderPtr holder = MakeEncoder();
  JxlEncoder* encoder = holder.get();
  JxlBasicInfo info;
  JxlEncoderInitBasicInfo(&info);
  info.xsize = static_cast<std::uint32_t>(width);
  info.ysize = static_cast<std::uint32_t>(height);
  info.bits_per_sample = 8;
  info.num_color_channels = 3;
  info.alpha_bits = hasAlpha ? 8 : 0;
  info.num_extra_channels = hasAlpha ? 1 : 0;
  info.uses_original_profile = lossless ? JXL_TRUE : JXL_FALSE;
  info.orientation = static_cast<JxlOrientation>(settings.orientation);
  const bool boxes = !metadata.exif.empty() || !metadata.xmp.empty();
  if (boxes) Check(JxlEncoderUseBoxes(encoder), encoder);
  Check(JxlEncoderSetBasicInfo(encoder, &info), encoder);
  if (withIcc) {
    if (JxlEncoderSetICCProfile(encoder, metadata.icc.data(), metadata.icc.size()) !=
        JXL_ENC_SUCCESS) {
      return {};  // a profile libjxl cannot read: the caller writes sRGB instead
    }
  } else {
    // Untagged pictures are sRGB; perceptual intent, as cjxl writes an untagged PNG.
    JxlColorEncoding srgb;
    JxlColorEncodingSetToSRGB(&srgb, JXL_FALSE);
    srgb.rendering_intent = JXL_RENDERING_INTENT_PERCEPTUAL;
    Check(JxlEncoderSetColorEncoding(encoder, &srgb), encoder);
  }
  if (!metadata.exif.empty()) {
    const std::vector<std::uint8_t> exif = ExifBox(metadata.exif);
    Check(JxlEncoderAddBox(encoder, "Exif", exif.data(), exif.size(), JXL_FALSE), encoder);
  }
  if (!metadata.xmp.empty()) {
    Check(JxlEncoderAddBox(encoder, "xml ", metadata.xmp.data(), metadata.xmp.size(), JXL_FALSE),
          encoder);
  }
  if (boxes) JxlEncoderCloseBoxes(encoder);

  JxlEncoderFrameSettings* frame = JxlEncoderFrameSettingsCreate(encoder, nullptr);
  if (!frame) FailWith(encoder);
  Check(JxlEncoderFrameSettingsSetOption(frame, JXL_ENC_FRAME_SETTING_EFFORT,
                                         lossless ? kLosslessEffort : kLossyEffort),
        encoder);
  if (lossless) {
    Check(JxlEncoderSetFrameLossless(frame, JXL_TRUE), encoder);
  } else {
    Check(JxlEncoderSetFrameDistance(frame, JxlDistance(settings.quality)), encoder);
  }
  const JxlPixelFormat format{hasAlpha ? 4u : 3u, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
  Check(JxlEncoderAddImageFrame(frame, &format, pixels.data(), pixels.size()), encoder);
  JxlEncoderCloseInput(encoder);
  return Output(encoder);
}

}  // namespace

float JxlDistance(int quality) {
  // cjxl's mapping of its --quality: linear from distance 0.1 at 99 to 6.4 at 30, then growing
  // faster towards the lowest qualities; capped at libjxl's largest distance, 25. 100 is lossless.
  if (quality >= 100) return 0.0f;
  const double distance = quality >= 30 ? 0.1 + (100 - quality) * 0.09
                                        : 6.4 + std::pow(2.5, (30 - quality) / 5.0) / 6.25;
  return static_cast<float>(std::min(distance, 25.0));
}

std::vector<std::uint8_t> EncodeJxl(const Raster& raster, const std::vector<std::uint8_t>* alpha,
                                    const PictureMetadata& metadata, const JxlSettings& settings) {
  if (RasterEmpty(raster)) Fail("empty picture");
  if (settings.quality < 0 || settings.quality > 100) Fail("quality must be 0 to 100");
  if (settings.orientation < 1 || settings.orientation > 8) Fail("orientation must be 1 to 8");
  const int width = RasterWidth(raster), height = RasterHeight(raster);
  if (alpha && alpha->size() != static_cast<std::size_t>(width) * height) {
    throw EBitmapError("Alpha plane does not match the picture");
  }
  std::vector<std::uint8_t> pixels;
  if (const auto* bitmap = std::get_if<Bitmap24>(&raster)) {
    pixels = Interleave(*bitmap, alpha);
  } else {
    pixels = Interleave(ToBitmap24(raster), alpha);
  }
  const bool lossless = settings.lossless || JxlDistance(settings.quality) == 0.0f;
  if (!metadata.icc.empty()) {
    std::vector<std::uint8_t> file =
        Encode(pixels, width, height, alpha != nullptr, metadata, settings, lossless, true);
    if (!file.empty()) return file;
  }
  return Encode(pixels, width, height, alpha != nullptr, metadata, settings, lossless, false);
}

std::vector<std::uint8_t> RecompressJpeg(std::span<const std::uint8_t> jpeg, PictureSize size) {
  // libjxl holds every coefficient of the JPEG: its size is held to the limits first.
  CheckPictureSize(size.width, size.height);
  CheckPixelsForData(size.width, size.height, static_cast<std::int64_t>(jpeg.size()));

  // libjxl prints its reasons for refusing a JPEG (CMYK, arithmetic coding) on the standard error
  // stream; the caller then writes the picture from its pixels, and our message says the rest.
  const QuietStderr quiet;
  JxlEncoderPtr holder = MakeEncoder();
  JxlEncoder* encoder = holder.get();
  Check(JxlEncoderUseContainer(encoder, JXL_TRUE), encoder);
  Check(JxlEncoderStoreJPEGMetadata(encoder, JXL_TRUE), encoder);
  JxlEncoderFrameSettings* frame = JxlEncoderFrameSettingsCreate(encoder, nullptr);
  if (!frame) FailWith(encoder);
  Check(JxlEncoderFrameSettingsSetOption(frame, JXL_ENC_FRAME_SETTING_EFFORT, kRecompressEffort),
        encoder);
  Check(JxlEncoderAddJPEGFrame(frame, jpeg.data(), jpeg.size()), encoder);
  JxlEncoderCloseInput(encoder);
  return Output(encoder);
}

}  // namespace pixtrel
