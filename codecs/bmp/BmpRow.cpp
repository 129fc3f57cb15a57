// BMP's row in the registry.
#include "codecs/FormatRow.h"
#include "codecs/bmp/Bmp.h"
#include "codecs/bmp/BmpProbe.h"

namespace pixtrel {
namespace {

DecodedPicture Decode(std::span<const std::uint8_t> bytes, bool) {
  DecodedPicture picture;
  picture.raster = DecodeBmp(bytes);
  return picture;
}

Bytes Encode(EncodeJob& job) {
  return EncodeBmp(job.raster);
}

}  // namespace

const FormatRow& BmpRow() {
  static const FormatRow row{
      .key = "bmp",
      .title = "BMP",
      .name = "BMP",
      .extensions = {".bmp"},
      .mimeTypes = {"image/bmp"},
      .resizeRank = 2,
      .lossless = LosslessWhen::Always,
      .probe = ProbeBmp,
      .decode = Decode,
      .encode = Encode,
  };
  return row;
}

}  // namespace pixtrel
