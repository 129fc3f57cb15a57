#include "codecs/heif/AvifWriter.h"

#include <avif/avif.h>

#include <memory>
#include <string>

#include "core/Errors.h"

namespace pixtrel {
namespace {

struct ImageDestroy {
  void operator()(avifImage* image) const { avifImageDestroy(image); }
};
struct EncoderDestroy {
  void operator()(avifEncoder* encoder) const { avifEncoderDestroy(encoder); }
};

// Output bytes libavif allocated, freed however the write ends.
struct EncodedData {
  avifRWData data = AVIF_DATA_EMPTY;
  ~EncodedData() { avifRWDataFree(&data); }
};

[[noreturn]] void Fail(const std::string& reason) {
  throw Exception("AVIF error: " + reason);
}

void Check(avifResult result, const char* detail = nullptr) {
  if (result == AVIF_RESULT_OK) return;
  std::string reason = avifResultToString(result);
  if (detail && *detail) reason += std::string(" (") + detail + ")";
  Fail(reason);
}

avifCodecChoice Av1Encoder() {
  return static_cast<avifCodecChoice>(ChooseAv1Encoder(
      avifCodecName(AVIF_CODEC_CHOICE_AOM, AVIF_CODEC_FLAG_CAN_ENCODE) != nullptr,
      avifCodecName(AVIF_CODEC_CHOICE_AUTO, AVIF_CODEC_FLAG_CAN_ENCODE) != nullptr));
}

// The colour planes from the samples: 8-bit BGR read from the raster in place, BGRA interleaved
// for a picture with alpha, or the 16-bit RGB(A) deep samples.
void FillPlanes(avifImage* image, const HeifSamples& samples) {
  avifRGBImage rgb;
  avifRGBImageSetDefaults(&rgb, image);
  rgb.avoidLibYUV = AVIF_TRUE;  // the exact conversion, the same on every system
  std::vector<std::uint8_t> bgra;
  if (const DeepSamples* deep = samples.deep()) {
    rgb.depth = 16;
    rgb.format = deep->channels == 4 ? AVIF_RGB_FORMAT_RGBA : AVIF_RGB_FORMAT_RGB;
    rgb.pixels = reinterpret_cast<std::uint8_t*>(const_cast<std::uint16_t*>(deep->samples.data()));
    rgb.rowBytes = static_cast<std::uint32_t>(deep->width * deep->channels * 2);
  } else if (samples.hasAlpha()) {
    const int width = samples.width();
    bgra.resize(static_cast<std::size_t>(width) * samples.height() * 4);
    std::uint8_t* out = bgra.data();
    const std::uint8_t* a = samples.alpha().data();
    for (int y = 0; y < samples.height(); ++y) {
      const std::uint8_t* in = samples.bitmap().row(y);
      for (int x = 0; x < width; ++x, in += 3, out += 4) {
        out[0] = in[0];
        out[1] = in[1];
        out[2] = in[2];
        out[3] = *a++;
      }
    }
    rgb.depth = 8;
    rgb.format = AVIF_RGB_FORMAT_BGRA;
    rgb.pixels = bgra.data();
    rgb.rowBytes = static_cast<std::uint32_t>(width * 4);
  } else {
    rgb.depth = 8;
    rgb.format = AVIF_RGB_FORMAT_BGR;
    rgb.pixels = const_cast<std::uint8_t*>(samples.bitmap().data());
    rgb.rowBytes = static_cast<std::uint32_t>(samples.bitmap().stride());
  }
  Check(avifImageRGBToYUV(image, &rgb));
}

void AddMetadata(avifImage* image, const PictureMetadata& metadata) {
  if (!metadata.icc.empty()) {
    avifImageSetProfileICC(image, metadata.icc.data(), metadata.icc.size());
  }
  if (!metadata.exif.empty()) {
    avifImageSetMetadataExif(image, metadata.exif.data(), metadata.exif.size());
  }
  if (!metadata.xmp.empty()) {
    avifImageSetMetadataXMP(image, metadata.xmp.data(), metadata.xmp.size());
  }
  // libavif turns an EXIF orientation into irot/imir boxes; the pixels are already as they are
  // to be shown, so a reader must not turn them again.
  image->transformFlags = AVIF_TRANSFORM_NONE;
}

}  // namespace

int ChooseAv1Encoder(bool haveAom, bool haveAny) {
  if (haveAom) return AVIF_CODEC_CHOICE_AOM;
  if (haveAny) return AVIF_CODEC_CHOICE_AUTO;
  throw Exception("Cannot write AVIF files: this system's libavif has no AV1 encoder");
}

Bytes EncodeAvif(const Raster& raster, const std::vector<std::uint8_t>* alpha,
                 const DeepSamples* deep, const PictureMetadata& metadata,
                 const HeifWriteSettings& settings) {
  const avifCodecChoice codec = Av1Encoder();
  const HeifSamples samples("AVIF", raster, alpha, deep);
  const avifPixelFormat layout =
      settings.lossless ? AVIF_PIXEL_FORMAT_YUV444 : AVIF_PIXEL_FORMAT_YUV420;
  std::unique_ptr<avifImage, ImageDestroy> image(avifImageCreate(
      static_cast<std::uint32_t>(samples.width()), static_cast<std::uint32_t>(samples.height()),
      samples.deep() ? 10 : 8, layout));
  if (!image) Fail("out of memory");
  image->yuvRange = AVIF_RANGE_FULL;
  image->colorPrimaries = AVIF_COLOR_PRIMARIES_BT709;
  image->transferCharacteristics = AVIF_TRANSFER_CHARACTERISTICS_SRGB;
  // Lossless keeps red, green and blue as they are (no conversion to YUV that would round).
  image->matrixCoefficients =
      settings.lossless ? AVIF_MATRIX_COEFFICIENTS_IDENTITY : AVIF_MATRIX_COEFFICIENTS_BT601;
  FillPlanes(image.get(), samples);
  AddMetadata(image.get(), metadata);

  std::unique_ptr<avifEncoder, EncoderDestroy> encoder(avifEncoderCreate());
  if (!encoder) Fail("out of memory");
  encoder->codecChoice = codec;
  encoder->maxThreads = 1;  // the batch already runs one file per core
  encoder->speed = kAvifSpeed;
  const int quantizer =
      settings.lossless ? AVIF_QUANTIZER_LOSSLESS : AvifQuantizer(settings.quality);
  encoder->minQuantizer = quantizer;
  encoder->maxQuantizer = quantizer;
  encoder->minQuantizerAlpha = AVIF_QUANTIZER_LOSSLESS;
  encoder->maxQuantizerAlpha = AVIF_QUANTIZER_LOSSLESS;
  EncodedData output;
  Check(avifEncoderWrite(encoder.get(), image.get(), &output.data), encoder->diag.error);
  return Bytes(output.data.data, output.data.data + output.data.size);
}

}  // namespace pixtrel
