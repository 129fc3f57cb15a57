// PNG's row in the registry.
#include "codecs/FormatRow.h"
#include "codecs/png/PngFile.h"
#include "codecs/png/PngRebuild.h"

namespace pixtrel {
namespace {

// A 16-bit file keeps its samples for the writers that store 10 bits (AVIF, HEIC).
DecodedPicture Decode(std::span<const std::uint8_t> bytes, bool) {
  return ReadPngBytes(bytes, true);
}

Bytes Encode(EncodeJob& job) {
  return EncodePng(job.raster, job.alpha, job.metadata ? *job.metadata : PictureMetadata{});
}

// The rebuild carries no blocks: with blocks to keep, the picture is encoded anew.
std::optional<Bytes> Rebuild(std::span<const std::uint8_t> bytes, const PictureMetadata& blocks) {
  if (!blocks.empty()) return std::nullopt;
  return RebuildPng(bytes);
}

}  // namespace

const FormatRow& PngRow() {
  static const FormatRow row{
      .key = "png",
      .title = "PNG",
      .name = "PNG",
      .extensions = {".png"},
      .mimeTypes = {"image/png"},
      .resizeRank = 3,
      .keepsAlpha = true,
      .keepsPalette = true,
      .carries = {.exif = true, .xmp = true, .icc = true},
      .orientation = OrientationSource::Exif,
      .lossless = LosslessWhen::Always,
      .probe = ProbePng,
      .decode = Decode,
      .encode = Encode,
      .rebuild = Rebuild,
  };
  return row;
}

}  // namespace pixtrel
