#include "operations/Rotate.h"

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
#include "imaging/TurnPicture.h"
#include "io/FileBytes.h"
#include "metadata/ExifBlock.h"
#include "operations/JpegLosslessTurn.h"
#include "operations/PictureFile.h"
#include "operations/UprightPicture.h"

namespace pixtrel {
namespace {

// A JPEG is turned as seen: its orientation and the user's turn are one step over the pixels.
void RotateJpeg(const FilePath& source, const FilePath& output, const RotateSettings& settings,
                OutputSink& sink) {
  Bytes bytes = ReadFileBytes(source);
  const PictureMetadata metadata = ReadJpegMetadata(bytes);
  const Orientation seen =
      settings.upright ? Orientation::FromExif(ExifOrientation(metadata.exif)) : Orientation{};
  Raster stored;
  {
    TJPEGImage picture = JpegFromBytes(std::move(bytes));
    stored = TakeJpegRaster(picture);
  }
  Bitmap24 turned = TurnBitmap(ToBitmap24(std::move(stored)), seen.thenTurn(settings.angle));
  TJPEGImage picture;  // new: baseline, colour
  SetJpegRaster(picture, std::move(turned));
  picture.Quality = settings.jpegQuality;
  sink.put(output, EncodeJpegPicture(picture, metadata, settings.metadata, settings.upright));
}

// The same turn on the compressed data, when the user asked for turns without loss.
void TurnJpegFile(const FilePath& source, const FilePath& output, const RotateSettings& settings,
                  OutputSink& sink) {
  const Bytes bytes = ReadFileBytes(source);
  LosslessTurnSettings lossless;
  lossless.trim = settings.trim;
  lossless.upright = settings.upright;
  lossless.metadata = settings.metadata;
  sink.put(output, TurnJpegWithoutLoss(bytes, settings.angle, lossless));
}

void RotateGif(const FilePath& source, const FilePath& output, int angle, OutputSink& sink) {
  int transparent = -1;
  Raster upright;
  {
    const TGIFImage picture = ReadGifFile(source);
    upright = GifFrameRaster(picture);
    if (!picture.images.empty()) transparent = picture.images.front().transparentIndex();
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
    WriteGifFile(picture, output, sink);
    return;
  }
  Bitmap24 turned = Rotate90(angle, ToBitmap24(std::move(upright)));
  upright = Bitmap24();
  TGIFImage picture;
  SetGifRaster(picture, std::move(turned));
  WriteGifFile(picture, output, sink);
}

void RotateBmp(const FilePath& source, const FilePath& output, int angle, OutputSink& sink) {
  Bitmap24 turned = Rotate90(angle, ToBitmap24(ReadBmpFile(source)));
  WriteBmpFile(turned, output, sink);
}

// PNG and WebP keep their alpha, their colour table (a palette PNG) and, for WebP, losslessness.
void RotateAnyFormat(const FilePath& source, const FilePath& output, ImageFormat format,
                     const RotateSettings& settings, OutputSink& sink) {
  const Bytes bytes = ReadFileBytes(source);
  StoredPicture stored = ReadStored(bytes, format, settings.upright);
  const PictureMetadata metadata = std::move(stored.picture.metadata);
  TurnPicture(stored.picture, stored.toUpright.thenTurn(settings.angle));
  const OutputChoices choices = ChoicesFor(settings.jpegQuality, stored.picture.lossless,
                                           settings.metadata, settings.upright);
  sink.put(output, EncodePicture(std::move(stored.picture), metadata, format, choices));
}

}  // namespace

void RotateFile(const FilePath& source, const FilePath& output, ImageFormat format,
                const RotateSettings& settings, OutputSink& sink) {
  switch (format) {
    case ImageFormat::Jpeg:
      if (settings.lossless) return TurnJpegFile(source, output, settings, sink);
      return RotateJpeg(source, output, settings, sink);
    case ImageFormat::Gif:
      return RotateGif(source, output, settings.angle, sink);
    case ImageFormat::Bmp:
      return RotateBmp(source, output, settings.angle, sink);
    case ImageFormat::Png:
    case ImageFormat::Webp:
    case ImageFormat::Heif:
      return RotateAnyFormat(source, output, format, settings, sink);
  }
  // Only a value outside the enumeration gets here; it must not pass as a file turned.
  throw Exception("Cannot rotate " + source.path.filename().string() + ": unknown picture format");
}

}  // namespace pixtrel
