#include "codecs/heif/AvifWriter.h"

#include <string>

#include "codecs/heif/HeifEncode.h"
#include "codecs/heif/HeifHandles.h"
#include "codecs/heif/TenBitAvif.h"
#include "core/Errors.h"

namespace pixtrel {
namespace {

using heif::Check;

// libaom's own settings: the quantizer itself (min-q = max-q), alpha lossless, one thread (the
// batch already runs one file per core), PSNR tuning as libaom's other front ends default to
// (libheif's default, SSIM, costs time and is not what the quality table was measured with).
void SetUpAom(heif_encoder* encoder, int quantizer, bool lossless, bool fullChroma) {
  Check(heif_encoder_set_parameter_integer(encoder, "speed", kAvifSpeed));
  Check(heif_encoder_set_parameter_integer(encoder, "threads", 1));
  Check(heif_encoder_set_parameter_string(encoder, "tune", "psnr"));
  Check(heif_encoder_set_parameter_string(encoder, "chroma", fullChroma ? "444" : "420"));
  Check(heif_encoder_set_parameter_boolean(encoder, "lossless-alpha", 1));
  if (lossless) {
    Check(heif_encoder_set_lossless(encoder, 1));
    return;
  }
  Check(heif_encoder_set_lossless(encoder, 0));
  // libheif's quality picks the level libaom aims at; the bounds make it exactly the quantizer.
  Check(heif_encoder_set_lossy_quality(encoder, 100 - (quantizer * 100 + 31) / 63));
  Check(heif_encoder_set_parameter_integer(encoder, "min-q", quantizer));
  Check(heif_encoder_set_parameter_integer(encoder, "max-q", quantizer));
}

// Another AV1 encoder gets the corresponding quality on libheif's 0..100 scale, and chroma as
// far as it takes the parameter.
void SetUpOther(heif_encoder* encoder, int quantizer, bool lossless, bool fullChroma) {
  heif_encoder_set_parameter_string(encoder, "chroma", fullChroma ? "444" : "420");
  Check(heif_encoder_set_lossless(encoder, lossless ? 1 : 0));
  if (!lossless) Check(heif_encoder_set_lossy_quality(encoder, 100 - (quantizer * 100 + 31) / 63));
}

}  // namespace

Av1Encoder ChooseAv1Encoder(bool haveAom, bool haveAny) {
  if (haveAom) return Av1Encoder::Aom;
  if (haveAny) return Av1Encoder::Other;
  throw Exception("Cannot write AVIF files: this system's libheif has no AV1 encoder");
}

Bytes EncodeAvif(const Raster& raster, const std::vector<std::uint8_t>* alpha,
                 const DeepSamples* deep, const PictureMetadata& metadata,
                 const HeifWriteSettings& settings) {
  const heif::EncoderChoice found = heif::FindEncoders(heif_compression_AV1, "aom");
  const Av1Encoder which = ChooseAv1Encoder(found.preferred != nullptr, found.any != nullptr);
  const HeifSamples samples("AVIF", raster, alpha, deep);
  // Lossless keeps red, green and blue as they are (no conversion to YCbCr that would round).
  const heif::Planes planes =
      settings.lossless ? heif::Planes::Identity444 : heif::Planes::Ycbcr420;
  const int quantizer = settings.lossless ? 0 : AvifQuantizer(settings.quality);
  if (samples.deep()) {
    return EncodeTenBitAvif(samples, settings.lossless, quantizer, kAvifSpeed, metadata);
  }
  const heif::Encoder encoder =
      heif::MakeEncoder(which == Av1Encoder::Aom ? found.preferred : found.any);
  if (which == Av1Encoder::Aom) {
    SetUpAom(encoder.get(), quantizer, settings.lossless, settings.lossless);
  } else {
    SetUpOther(encoder.get(), quantizer, settings.lossless, settings.lossless);
  }
  return heif::WriteHeifFile(encoder.get(), samples, planes, metadata);
}

}  // namespace pixtrel
