#include "codecs/heif/HeicWriter.h"

#include <string_view>

#include "codecs/heif/HeifEncode.h"
#include "codecs/heif/HeifHandles.h"
#include "core/Errors.h"

namespace pixtrel {
namespace {

using heif::Check;

void SetUpHevc(heif_encoder* encoder, int quality) {
  Check(heif_encoder_set_lossy_quality(encoder, quality));
  Check(heif_encoder_set_lossless(encoder, 0));
  // The speed and threads are x265's own parameters; another HEVC encoder keeps its defaults.
  const std::string_view name = heif_encoder_get_name(encoder);
  if (name.substr(0, 4) == "x265") {
    Check(heif_encoder_set_parameter_string(encoder, "preset", kHeicPreset));
    Check(heif_encoder_set_parameter_string(encoder, "chroma", "420"));
    // No thread pool of x265's own: the batch already runs one file per core, and x265's pool
    // spends more time waiting than encoding on a busy machine.
    Check(heif_encoder_set_parameter_string(encoder, "x265:pools", "none"));
  }
}

}  // namespace

void RequireHevcEncoder(bool present) {
  if (!present)
    throw Exception("Cannot write HEIC files: this system's libheif has no HEVC encoder");
}

Bytes EncodeHeic(const Raster& raster, const std::vector<std::uint8_t>* alpha,
                 const DeepSamples* deep, const PictureMetadata& metadata,
                 const HeifWriteSettings& settings) {
  const heif::EncoderChoice found = heif::FindEncoders(heif_compression_HEVC, "x265");
  RequireHevcEncoder(found.any != nullptr);
  const HeifSamples samples("HEIC", raster, alpha, deep);
  const heif::Encoder encoder = heif::MakeEncoder(found.preferred ? found.preferred : found.any);
  SetUpHevc(encoder.get(), HeicQuality(settings.quality));
  return heif::WriteHeifFile(encoder.get(), samples, heif::Planes::Ycbcr420, metadata);
}

}  // namespace pixtrel
