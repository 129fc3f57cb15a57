#include "operations/AnimationFile.h"

#include <string>

#include "codecs/AnimationCodec.h"
#include "core/Errors.h"
#include "metadata/ColourProfile.h"
#include "metadata/ExifBlock.h"

namespace pixtrel {

bool KeepsAnimations(const FormatRow& row) {
  return row.animation != nullptr;
}

int CountFrames(std::span<const std::uint8_t> bytes, const FormatRow& row) {
  const AnimationCodec* codec = row.animation;
  return codec ? codec->countFrames(bytes) : 1;
}

AnimatedPicture DecodeAnimation(std::span<const std::uint8_t> bytes, const FormatRow& row) {
  if (!row.animation) throw Exception("Cannot read " + std::string(row.title) + " animations");
  AnimatedPicture animation = row.animation->read(bytes);
  std::vector<std::uint8_t>& exif = animation.metadata.exif;
  if (!exif.empty()) {
    const std::span<const std::uint8_t> tiff = TiffPart(exif);
    exif = std::vector<std::uint8_t>(tiff.begin(), tiff.end());
  }
  return animation;
}

Bytes EncodeAnimation(AnimatedPicture animation, const FormatRow& row,
                      const OutputChoices& choices) {
  if (!row.animation) throw Exception("Cannot write " + std::string(row.title) + " animations");
  OutputTarget output;
  output.carriesMetadata = row.carries.any();
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
