#include "batch/RotateCommand.h"

#include "codecs/FormatTable.h"
#include "codecs/bmp/Bmp.h"
#include "codecs/gif/GifCodec.h"
#include "codecs/jpeg/JpegImage.h"
#include "codecs/jpeg/JpegMetadata.h"
#include "core/Errors.h"
#include "imaging/Orientation.h"
#include "imaging/PaletteCoverage.h"
#include "imaging/Rotate90.h"
#include "imaging/RotatePalette.h"
#include "io/FileBytes.h"
#include "metadata/ExifBlock.h"
#include "operations/JpegLosslessTurn.h"
#include "operations/JpegOutput.h"
#include "operations/PictureFile.h"
#include "operations/UprightPicture.h"

namespace pixtrel {
namespace {

// A JPEG is turned as seen: its orientation and the user's turn are one step over the pixels.
void RotateJpeg(const FileTask& task, int angle) {
  Bytes bytes = ReadFileBytes(task.source());
  const PictureMetadata metadata = ReadJpegMetadata(bytes);
  const Orientation seen =
      task.options.upright ? Orientation::FromExif(ExifOrientation(metadata.exif)) : Orientation{};
  Raster stored;
  {
    TJPEGImage source = JpegFromBytes(std::move(bytes));
    stored = TakeJpegRaster(source);
  }
  Bitmap24 turned = TurnBitmap(ToBitmap24(std::move(stored)), seen.thenTurn(angle));
  TJPEGImage picture;  // new: baseline, colour
  SetJpegRaster(picture, std::move(turned));
  picture.Quality = task.options.saveQuality;
  WriteJpegWithMetadata(picture, metadata, task.options.metadata, task.options.upright,
                        task.prefixedOutput(), task.out());
}

// The same turn on the compressed data, when the user asked for turns without loss.
void TurnJpegFile(const FileTask& task, int angle) {
  const Bytes bytes = ReadFileBytes(task.source());
  LosslessTurnSettings settings;
  settings.trim = task.options.losslessTurn == LosslessTurn::Trim;
  settings.upright = task.options.upright;
  settings.metadata = task.options.metadata;
  task.out().put(task.prefixedOutput(), TurnJpegWithoutLoss(bytes, angle, settings));
}

void RotateGif(const FileTask& task, int angle) {
  int transparent = -1;
  Raster upright;
  {
    const TGIFImage source = ReadGifFile(task.source());
    upright = GifFrameRaster(source);
    if (!source.images.empty()) transparent = source.images.front().transparentIndex();
  }
  if (const auto* indices = std::get_if<PaletteBitmap>(&upright)) {
    // A GIF's indices turn and its colour table and transparent colour stay, so no colour is
    // lost and what was see-through stays so.
    PaletteBitmap turned = RotatePalette(angle, *indices);
    CoverIndicesWithTable(turned);  // indices past a short table keep drawing black
    TGIFImage picture;
    SetGifRaster(picture, turned);
    SetGifTransparentIndex(picture, transparent);
    upright = Bitmap24();
    WriteGifFile(picture, task.prefixedOutput(), task.out());
    return;
  }
  Bitmap24 turned = Rotate90(angle, ToBitmap24(std::move(upright)));
  upright = Bitmap24();
  TGIFImage picture;
  SetGifRaster(picture, std::move(turned));
  WriteGifFile(picture, task.prefixedOutput(), task.out());
}

void RotateBmp(const FileTask& task, int angle) {
  Bitmap24 turned = Rotate90(angle, ToBitmap24(ReadBmpFile(task.source())));
  WriteBmpFile(turned, task.prefixedOutput(), task.out());
}

// PNG and WebP keep their alpha, their colour table (a palette PNG) and, for WebP, losslessness.
void RotateAnyFormat(const FileTask& task, ImageFormat format, int angle) {
  const Bytes bytes = ReadFileBytes(task.source());
  StoredPicture stored = ReadStored(bytes, format, task.options.upright);
  const PictureMetadata metadata = std::move(stored.picture.metadata);
  TurnPicture(stored.picture, stored.toUpright.thenTurn(angle));
  OutputChoices choices;
  choices.quality = task.options.saveQuality;
  choices.lossless = stored.picture.lossless;
  choices.metadata = task.options.metadata;
  choices.pixelsUpright = task.options.upright;
  task.out().put(task.prefixedOutput(),
                 EncodePicture(std::move(stored.picture), metadata, format, choices));
}

}  // namespace

int TurnAngle(TurnChoice choice) {
  switch (choice) {
    case TurnChoice::Right:
      return 270;  // angles count counter-clockwise
    case TurnChoice::Left:
      return 90;
    case TurnChoice::UpsideDown:
      return 180;
  }
  return 270;
}

const char* TurnPrefix(TurnChoice choice) {
  switch (choice) {
    case TurnChoice::Right:
      return "right-";
    case TurnChoice::Left:
      return "left-";
    case TurnChoice::UpsideDown:
      return "180-";
  }
  return "right-";
}

BatchCommand RotateCommand() {
  BatchCommand c;
  c.name = "rotate";
  c.summary = "rotate BMP, JPEG, GIF, PNG and WebP files by --turn (prefix right-, left- or 180-)";
  c.prologue = Prologue::RecordSettleShow;
  c.prefixWord = [](const BatchOptions& options) { return std::string(TurnPrefix(options.turn)); };
  c.outputName = [](const std::string& name, const std::string& prefix, const BatchOptions&) {
    return prefix + name;
  };
  c.run = [](const FileTask& task) {
    const std::optional<ImageFormat> kind = FormatFromExtension(task.name);
    if (!kind) {
      throw Exception("Cannot rotate " + task.name + ": unknown picture file extension (" +
                      std::string(ExtensionOf(task.name)) + ")");
    }
    if (!RowOf(*kind).writable()) {
      throw Exception("Cannot rotate " + task.name + ": " + std::string(RowOf(*kind).title) +
                      " files are only read; convert them to another format first");
    }
    const int angle = TurnAngle(task.options.turn);
    switch (*kind) {
      case ImageFormat::Jpeg:
        if (task.options.losslessTurn != LosslessTurn::Off) return TurnJpegFile(task, angle);
        return RotateJpeg(task, angle);
      case ImageFormat::Gif:
        return RotateGif(task, angle);
      case ImageFormat::Bmp:
        return RotateBmp(task, angle);
      case ImageFormat::Png:
      case ImageFormat::Webp:
      case ImageFormat::Heif:
        return RotateAnyFormat(task, *kind, angle);
    }
    // Only a value outside the enumeration gets here; it must not pass as a file turned.
    throw Exception("Cannot rotate " + task.name + ": unknown picture format");
  };
  return c;
}

}  // namespace pixtrel
