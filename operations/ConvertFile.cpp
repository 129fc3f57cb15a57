#include "operations/ConvertFile.h"

#include "codecs/FormatTable.h"
#include "io/FileBytes.h"
#include "operations/ConvertAnimation.h"
#include "operations/PictureFile.h"
#include "operations/UprightPicture.h"

namespace pixtrel {

void ConvertFile(const FilePath& source, ImageFormat sourceFormat, const FilePath& output,
                 ImageFormat target, const ConvertSettings& settings, OutputSink& sink) {
  const Bytes bytes = ReadFileBytes(source);
  // A conversion keeps the picture's size (turning it upright only swaps the sides, which no
  // writer's limit tells apart): a size the target cannot take is refused from the header,
  // before the picture is decoded.
  const FormatRow& targetRow = RowOf(target);
  const FormatRow& sourceRow = RowOf(sourceFormat);
  if (targetRow.checkWrittenSize && sourceRow.probe) {
    if (const std::optional<PictureSize> size = sourceRow.probe(bytes))
      targetRow.checkWrittenSize(size->width, size->height);
  }
  if (ConvertsAnimation(bytes, sourceFormat, target)) {
    sink.put(output, ConvertAnimation(bytes, sourceFormat, target, settings));
    return;
  }
  DecodedPicture picture = ReadUpright(bytes, sourceFormat, settings.upright);
  const PictureMetadata metadata = std::move(picture.metadata);
  OutputChoices choices =
      ChoicesFor(settings.quality, picture.lossless, settings.metadata, settings.upright);
  choices.ownPalette = settings.ownGifPalette;
  choices.dither = settings.dither;
  sink.put(output, EncodePicture(std::move(picture), metadata, target, choices));
}

}  // namespace pixtrel
