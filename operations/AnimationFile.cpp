#include "operations/AnimationFile.h"

#include <string>

#include "codecs/AnimationCodec.h"
#include "codecs/FormatTable.h"
#include "core/Errors.h"
#include "metadata/ColourProfile.h"
#include "metadata/ExifBlock.h"

namespace pixtrel {

bool KeepsAnimations(ImageFormat format) {
  return RowOf(format).animation != nullptr;
}

int CountFrames(std::span<const std::uint8_t> bytes, ImageFormat format) {
  const AnimationCodec* codec = RowOf(format).animation;
  return codec ? codec->countFrames(bytes) : 1;
}

AnimatedPicture DecodeAnimation(std::span<const std::uint8_t> bytes, ImageFormat format) {
  const FormatRow& row = RowOf(format);
  if (!row.animation) throw Exception("Cannot read " + std::string(row.title) + " animations");
  AnimatedPicture animation = row.animation->read(bytes);
  std::vector<std::uint8_t>& exif = animation.metadata.exif;
  if (!exif.empty()) {
    const std::span<const std::uint8_t> tiff = TiffPart(exif);
    exif = std::vector<std::uint8_t>(tiff.begin(), tiff.end());
  }
  return animation;
}

Bytes EncodeAnimation(AnimatedPicture animation, ImageFormat target, const OutputChoices& choices) {
  const FormatRow& row = RowOf(target);
  if (!row.animation) throw Exception("Cannot write " + std::string(row.title) + " animations");
  OutputTarget output;
  output.carriesMetadata = row.carriesMetadata;
  output.width = animation.width;
  output.height = animation.height;
  output.pixelsUpright = choices.pixelsUpright;
  const MetadataPlan plan = PlanOutputMetadata(animation.metadata, choices.metadata, output);
  if (plan.convertToSrgb) {
    for (AnimationFrame& frame : animation.frames)
      ConvertToSrgb(frame.canvas.raster, animation.metadata.icc);
  }
  EncodeSettings settings;
  settings.quality = choices.quality;
  settings.lossless = choices.lossless;
  return row.animation->write(animation, plan.blocks, settings);
}

}  // namespace pixtrel
