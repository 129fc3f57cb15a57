#include "operations/ConvertAnimation.h"

#include "imaging/AnimationFrames.h"
#include "metadata/ExifBlock.h"
#include "operations/AnimationFile.h"

namespace pixtrel {

bool ConvertsAnimation(std::span<const std::uint8_t> bytes, const FormatRow& source,
                       const FormatRow& target) {
  return KeepsAnimations(source) && KeepsAnimations(target) && CountFrames(bytes, source) > 1;
}

Bytes ConvertAnimation(std::span<const std::uint8_t> bytes, const FormatRow& source,
                       const FormatRow& target, const ConvertSettings& settings) {
  AnimatedPicture animation = DecodeAnimation(bytes, source);
  if (settings.upright && source.orientation == OrientationSource::Exif &&
      !animation.metadata.exif.empty()) {
    animation = TurnAnimation(std::move(animation),
                              Orientation::FromExif(ExifOrientation(animation.metadata.exif)));
  }
  const OutputChoices choices =
      ChoicesFor(settings.quality, animation.lossless, settings.metadata, settings.upright);
  return EncodeAnimation(std::move(animation), target, choices);
}

}  // namespace pixtrel
