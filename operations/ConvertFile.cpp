#include "operations/ConvertFile.h"

#include "io/FileBytes.h"
#include "operations/ConvertAnimation.h"
#include "operations/PictureFile.h"
#include "operations/Recompress.h"
#include "operations/UprightPicture.h"

namespace pixtrel {

void ConvertFile(const FilePath& source, const FormatRow& sourceFormat, const FilePath& output,
                 const FormatRow& target, const ConvertSettings& settings, OutputSink& sink) {
  const Bytes bytes = ReadFileBytes(source);
  // A conversion keeps the picture's size (turning it upright only swaps the sides, which no
  // writer's limit tells apart): a size the target cannot take is refused from the header,
  // before the picture is decoded.
  if (target.checkWrittenSize && sourceFormat.probe) {
    if (const std::optional<PictureSize> size = sourceFormat.probe(bytes))
      target.checkWrittenSize(size->width, size->height);
  }
  if (ConvertsAnimation(bytes, sourceFormat, target)) {
    sink.put(output, ConvertAnimation(bytes, sourceFormat, target, settings));
    return;
  }
  if (std::optional<Bytes> recompressed = Recompressed(bytes, sourceFormat, target, settings)) {
    sink.put(output, *recompressed);
    return;
  }
  DecodedPicture picture =
      ReadUpright(bytes, sourceFormat, settings.upright, target.keepsDeepSamples);
  const PictureMetadata metadata = std::move(picture.metadata);
  OutputChoices choices =
      ChoicesFor(settings.quality, picture.lossless, settings.metadata, settings.upright);
  choices.ownPalette = settings.ownGifPalette;
  choices.dither = settings.dither;
  sink.put(output, EncodePicture(std::move(picture), metadata, target, choices));
}

}  // namespace pixtrel
