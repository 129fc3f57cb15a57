#include "imaging/ConvertFile.h"

#include "formats/FileBytes.h"
#include "formats/PictureFile.h"
#include "imaging/ConvertAnimation.h"
#include "imaging/UprightPicture.h"

namespace pixtrel {

void ConvertFile(const std::filesystem::path& source, ImageFormat sourceFormat,
                 const std::filesystem::path& output, ImageFormat target,
                 const ConvertSettings& settings, OutputSink& sink) {
  const Bytes bytes = ReadFileBytes(source);
  if (ConvertsAnimation(bytes, sourceFormat, target)) {
    sink.put(output, ConvertAnimation(bytes, sourceFormat, target, settings));
    return;
  }
  DecodedPicture picture = ReadUpright(bytes, sourceFormat, settings.upright);
  const PictureMetadata metadata = std::move(picture.metadata);
  OutputChoices choices;
  choices.quality = settings.quality;
  choices.lossless = picture.lossless;
  choices.metadata = settings.metadata;
  choices.pixelsUpright = settings.upright;
  sink.put(output, EncodePicture(std::move(picture), metadata, target, choices));
}

}  // namespace pixtrel
