// HEIF's row in the registry: HEIC and AVIF files, read only.
#include "codecs/FormatRow.h"
#include "codecs/heif/HeifFile.h"

namespace pixtrel {
namespace {

DecodedPicture Decode(std::span<const std::uint8_t> bytes, bool upright) {
  return ReadHeifBytes(bytes, upright);
}

}  // namespace

const FormatRow& HeifRow() {
  static const FormatRow row{
      .key = "heif",
      .title = "HEIC/AVIF",
      .name = "HEIC/AVIF",
      .extensions = {".heic", ".heif", ".avif"},
      .mimeTypes = {"image/heic", "image/heif", "image/avif"},
      // Its reader hands on EXIF, XMP and the colour profile to other formats; never written,
      // it carries none itself.
      // Its own transforms turn it upright, not the EXIF tag.
      .orientation = OrientationSource::Container,
      .lossless = LosslessWhen::Never,
      .probe = ProbeHeif,
      .decode = Decode,
  };
  return row;
}

}  // namespace pixtrel
