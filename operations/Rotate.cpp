#include "operations/Rotate.h"

#include <memory>

#include "imaging/Orientation.h"
#include "imaging/PaletteCoverage.h"
#include "imaging/Rotate90.h"
#include "imaging/RotatePalette.h"
#include "imaging/TurnPicture.h"
#include "io/FileBytes.h"
#include "operations/JpegLosslessTurn.h"
#include "operations/PictureFile.h"
#include "operations/UprightPicture.h"

namespace pixtrel {
namespace {

// The turn on the compressed data, when the user asked for turns without loss.
void TurnWithoutLoss(const FilePath& source, const FilePath& output, const RotateSettings& settings,
                     OutputSink& sink) {
  const Bytes bytes = ReadFileBytes(source);
  LosslessTurnSettings lossless;
  lossless.trim = settings.trim;
  lossless.upright = settings.upright;
  lossless.metadata = settings.metadata;
  sink.put(output, TurnJpegWithoutLoss(bytes, settings.angle, lossless));
}

// A colour-index file (GIF): its indices turn and its colour table and transparent colour stay,
// so no colour is lost and what was see-through stays so; a first frame that does not cover the
// screen is turned drawn and written with the fixed palette.
void RotateIndexed(const FilePath& source, const FilePath& output, const FormatRow& row, int angle,
                   OutputSink& sink) {
  int transparent = -1;
  Raster upright;
  {
    const std::unique_ptr<IndexedFile> picture = row.openIndexed(ReadFileBytes(source));
    upright = picture->firstFrame();
    transparent = picture->transparentIndex();
  }
  EncodeJob job;
  if (const auto* indices = std::get_if<PaletteBitmap>(&upright)) {
    PaletteBitmap turned = RotatePalette(angle, *indices);
    CoverIndicesWithTable(turned);  // indices past a short table keep drawing black
    upright = Bitmap24();
    job.raster = std::move(turned);
    job.transparentIndex = transparent;
  } else {
    job.raster = Rotate90(angle, ToBitmap24(std::move(upright)));
  }
  sink.put(output, row.encode(job));
}

// Any other format, turned as seen: its orientation and the user's turn are one step over the
// pixels. Alpha, a colour table (where the format keeps one) and losslessness stay; a JPEG is
// written anew, baseline.
void RotateDecoded(const FilePath& source, const FilePath& output, const FormatRow& row,
                   const RotateSettings& settings, OutputSink& sink) {
  const Bytes bytes = ReadFileBytes(source);
  StoredPicture stored = ReadStored(bytes, row, settings.upright, row.keepsDeepSamples);
  const PictureMetadata metadata = std::move(stored.picture.metadata);
  if (!row.keepsPalette && std::holds_alternative<PaletteBitmap>(stored.picture.raster))
    stored.picture.raster = ToBitmap24(std::move(stored.picture.raster));
  TurnPicture(stored.picture, stored.toUpright.thenTurn(settings.angle));
  const OutputChoices choices = ChoicesFor(settings.jpegQuality, stored.picture.lossless,
                                           settings.metadata, settings.upright);
  sink.put(output, EncodePicture(std::move(stored.picture), metadata, row, choices));
}

}  // namespace

void RotateFile(const FilePath& source, const FilePath& output, const FormatRow& row,
                const RotateSettings& settings, OutputSink& sink) {
  if (settings.lossless && row.turnsWithoutLoss)
    return TurnWithoutLoss(source, output, settings, sink);
  if (row.openIndexed) return RotateIndexed(source, output, row, settings.angle, sink);
  RotateDecoded(source, output, row, settings, sink);
}

}  // namespace pixtrel
