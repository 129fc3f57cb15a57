// WebP's row in the registry.
#include "codecs/AnimationCodec.h"
#include "codecs/FormatRow.h"
#include "codecs/webp/WebpAnimation.h"
#include "codecs/webp/WebpChunks.h"
#include "codecs/webp/WebpFile.h"
#include "codecs/webp/WebpRebuild.h"

namespace pixtrel {
namespace {

WebpSettings SettingsOf(const EncodeSettings& settings) {
  WebpSettings webp;
  webp.lossless = settings.lossless;
  webp.quality = settings.quality;
  return webp;
}

DecodedPicture Decode(std::span<const std::uint8_t> bytes, bool) {
  return ReadWebpBytes(bytes);
}

Bytes Encode(EncodeJob& job) {
  return EncodeWebp(job.raster, job.alpha, job.metadata ? *job.metadata : PictureMetadata{},
                    SettingsOf(job.settings));
}

// The rebuild carries no blocks: with blocks to keep, the picture is encoded anew.
std::optional<Bytes> Rebuild(std::span<const std::uint8_t> bytes, const PictureMetadata& blocks) {
  if (!blocks.empty()) return std::nullopt;
  return RebuildWebp(bytes);
}

Bytes EncodeAnimation(const AnimatedPicture& animation, const PictureMetadata& metadata,
                      const EncodeSettings& settings) {
  return EncodeWebpAnimation(animation, metadata, SettingsOf(settings));
}

const AnimationCodec kAnimation{CountWebpFrames, DecodeWebpAnimation, EncodeAnimation};

}  // namespace

const FormatRow& WebpRow() {
  static const FormatRow row{
      .key = "webp",
      .title = "WebP",
      .name = "WebP",
      .extensions = {".webp"},
      .mimeTypes = {"image/webp"},
      .resizeRank = 4,
      .keepsAlpha = true,
      .animated = true,
      .carries = {.exif = true, .xmp = true, .icc = true},
      .orientation = OrientationSource::Exif,
      .lossyQuality = true,
      .lossless = LosslessWhen::FromSource,
      .probe = ProbeWebp,
      .decode = Decode,
      .encode = Encode,
      .rebuild = Rebuild,
      .readMetadata = ReadWebpMetadata,
      .checkWrittenSize = CheckWebpSize,
      .animation = &kAnimation,
  };
  return row;
}

}  // namespace pixtrel
