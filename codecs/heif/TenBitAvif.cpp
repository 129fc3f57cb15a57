#include "codecs/heif/TenBitAvif.h"

#include <avif/avif.h>

#include <memory>
#include <string>

#include "codecs/heif/YcbcrPlanes.h"
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

PlaneView View(std::uint8_t* data, std::uint32_t rowBytes) {
  return {data, static_cast<std::ptrdiff_t>(rowBytes)};
}

}  // namespace

Bytes EncodeTenBitAvif(const HeifSamples& samples, bool lossless, int quantizer, int speed,
                       const PictureMetadata& metadata) {
  avifCodecChoice codec = AVIF_CODEC_CHOICE_AOM;
  if (!avifCodecName(codec, AVIF_CODEC_FLAG_CAN_ENCODE)) {
    codec = AVIF_CODEC_CHOICE_AUTO;
    if (!avifCodecName(codec, AVIF_CODEC_FLAG_CAN_ENCODE))
      throw Exception("Cannot write AVIF files: this system's libavif has no AV1 encoder");
  }
  std::unique_ptr<avifImage, ImageDestroy> image(avifImageCreate(
      static_cast<std::uint32_t>(samples.width()), static_cast<std::uint32_t>(samples.height()), 10,
      lossless ? AVIF_PIXEL_FORMAT_YUV444 : AVIF_PIXEL_FORMAT_YUV420));
  if (!image) Fail("out of memory");
  image->yuvRange = AVIF_RANGE_FULL;
  image->colorPrimaries = AVIF_COLOR_PRIMARIES_BT709;
  image->transferCharacteristics = AVIF_TRANSFER_CHARACTERISTICS_SRGB;
  image->matrixCoefficients =
      lossless ? AVIF_MATRIX_COEFFICIENTS_IDENTITY : AVIF_MATRIX_COEFFICIENTS_BT601;
  Check(
      avifImageAllocatePlanes(image.get(), samples.hasAlpha() ? AVIF_PLANES_ALL : AVIF_PLANES_YUV));
  FillPlanes(samples, lossless,
             View(image->yuvPlanes[AVIF_CHAN_Y], image->yuvRowBytes[AVIF_CHAN_Y]),
             View(image->yuvPlanes[AVIF_CHAN_U], image->yuvRowBytes[AVIF_CHAN_U]),
             View(image->yuvPlanes[AVIF_CHAN_V], image->yuvRowBytes[AVIF_CHAN_V]),
             samples.hasAlpha() ? View(image->alphaPlane, image->alphaRowBytes) : PlaneView{});
  if (!metadata.icc.empty())
    avifImageSetProfileICC(image.get(), metadata.icc.data(), metadata.icc.size());
  if (!metadata.exif.empty())
    avifImageSetMetadataExif(image.get(), metadata.exif.data(), metadata.exif.size());
  if (!metadata.xmp.empty())
    avifImageSetMetadataXMP(image.get(), metadata.xmp.data(), metadata.xmp.size());
  // libavif turns an EXIF orientation into irot/imir boxes; the pixels are already as they are
  // to be shown, so a reader must not turn them again.
  image->transformFlags = AVIF_TRANSFORM_NONE;

  std::unique_ptr<avifEncoder, EncoderDestroy> encoder(avifEncoderCreate());
  if (!encoder) Fail("out of memory");
  encoder->codecChoice = codec;
  encoder->maxThreads = 1;  // the batch already runs one file per core
  encoder->speed = speed;
  encoder->minQuantizer = encoder->maxQuantizer = lossless ? AVIF_QUANTIZER_LOSSLESS : quantizer;
  encoder->minQuantizerAlpha = encoder->maxQuantizerAlpha = AVIF_QUANTIZER_LOSSLESS;
  EncodedData output;
  Check(avifEncoderWrite(encoder.get(), image.get(), &output.data), encoder->diag.error);
  return Bytes(output.data.data, output.data.data + output.data.size);
}

}  // namespace pixtrel
