// JPEG XL's row in the registry: read and written through libjxl; a JPEG converted to it is
// recompressed without loss, so djxl gives the JPEG back bit for bit.
#include "codecs/FormatRow.h"
#include "codecs/jxl/JxlFile.h"

namespace pixtrel {
namespace {

const PictureMetadata kNoMetadata;

// The codestream's orientation is the file's own: turned by libjxl when read upright, left as
// stored otherwise (the EXIF box's tag does not count in JPEG XL).
DecodedPicture Decode(std::span<const std::uint8_t> bytes, bool upright) {
  return ReadJxlBytes(bytes, !upright).picture;
}

Bytes Encode(EncodeJob& job) {
  JxlSettings settings;
  settings.quality = job.settings.quality;
  settings.lossless = job.settings.lossless;
  return EncodeJxl(job.raster, job.alpha, job.metadata ? *job.metadata : kNoMetadata, settings);
}

}  // namespace

const FormatRow& JxlRow() {
  static const FormatRow row{
      .key = "jxl",
      .title = "JPEG XL",
      .name = "JPEG XL",
      .extensions = {".jxl"},
      .mimeTypes = {"image/jxl"},
      .resizeRank = 5,
      .keepsAlpha = true,
      .carries = {.exif = true, .xmp = true, .icc = true},
      .orientation = OrientationSource::Container,
      .lossyQuality = true,
      .lossless = LosslessWhen::FromSource,
      // libjxl's own buffers while decoding and encoding, beyond our raster (measured with 0.7).
      .memory = {.decodeBytesPerPixel = 15},
      .probe = ProbeJxl,
      .decode = Decode,
      .encode = Encode,
      .recompressFrom = "jpg",
      .recompress = RecompressJpeg,
  };
  return row;
}

}  // namespace pixtrel
