// AVIF's row in the registry: read through libheif and written through its AV1 encoder (libavif
// for 10 bits), lossy at the JPEG save quality, or lossless when its source was.
#include "codecs/FormatRow.h"
#include "codecs/heif/AvifWriter.h"
#include "codecs/heif/HeifFile.h"

namespace pixtrel {
namespace {

const PictureMetadata kNoMetadata;

Bytes Encode(EncodeJob& job) {
  HeifWriteSettings settings;
  settings.quality = job.settings.quality;
  settings.lossless = job.settings.lossless;
  return EncodeAvif(job.raster, job.alpha, job.deep, job.metadata ? *job.metadata : kNoMetadata,
                    settings);
}

}  // namespace

const FormatRow& AvifRow() {
  static const FormatRow row{
      .key = "avif",
      .title = "AVIF",
      .name = "AVIF",
      .extensions = {".avif"},
      .mimeTypes = {"image/avif"},
      .resizeRank = 6,
      .keepsAlpha = true,
      .keepsDeepSamples = true,
      .carries = {.exif = true, .xmp = true, .icc = true},
      // Its own transforms turn it upright, not the EXIF tag; none is written.
      .orientation = OrientationSource::Container,
      .lossyQuality = true,
      .lossless = LosslessWhen::FromSource,
      .probe = ProbeHeif,
      .decode = ReadHeifBytes,
      .encode = Encode,
  };
  return row;
}

}  // namespace pixtrel
