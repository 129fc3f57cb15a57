// HEIC's row in the registry: read through libheif and written through its HEVC encoder (x265),
// lossy at the JPEG save quality. "heif" was the word for HEIC and AVIF files when both were
// only read; it stays a word for HEIC.
#include "codecs/FormatRow.h"
#include "codecs/heif/HeicWriter.h"
#include "codecs/heif/HeifFile.h"

namespace pixtrel {
namespace {

const PictureMetadata kNoMetadata;

Bytes Encode(EncodeJob& job) {
  HeifWriteSettings settings;
  settings.quality = job.settings.quality;
  return EncodeHeic(job.raster, job.alpha, job.deep, job.metadata ? *job.metadata : kNoMetadata,
                    settings);
}

}  // namespace

const FormatRow& HeicRow() {
  static const FormatRow row{
      .key = "heic",
      .aliases = {"heif"},
      .title = "HEIC",
      .name = "HEIC",
      .extensions = {".heic", ".heif"},
      .mimeTypes = {"image/heic", "image/heif"},
      .resizeRank = 7,
      .keepsAlpha = true,
      .keepsDeepSamples = true,
      .carries = {.exif = true, .xmp = true, .icc = true},
      // Its own transforms turn it upright, not the EXIF tag; none is written.
      .orientation = OrientationSource::Container,
      .lossyQuality = true,
      .lossless = LosslessWhen::Never,
      .probe = ProbeHeif,
      .decode = ReadHeifBytes,
      .encode = Encode,
  };
  return row;
}

}  // namespace pixtrel
