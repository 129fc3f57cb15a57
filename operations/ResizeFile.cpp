#include "operations/ResizeFile.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

#include "codecs/FormatTable.h"
#include "codecs/bmp/Bmp.h"
#include "codecs/gif/GifCodec.h"
#include "codecs/jpeg/JpegImage.h"
#include "codecs/jpeg/JpegMetadata.h"
#include "core/Errors.h"
#include "core/FastStretch.h"
#include "core/Limits.h"
#include "imaging/FilterTable.h"
#include "imaging/Orientation.h"
#include "imaging/PaletteCoverage.h"
#include "imaging/ResampleBitmap.h"
#include "imaging/ResizePicture.h"
#include "imaging/RowResampler.h"
#include "imaging/StretchPalette.h"
#include "io/FileBytes.h"
#include "metadata/ExifBlock.h"
#include "operations/KeepAsIs.h"
#include "operations/PictureFile.h"
#include "operations/UprightPicture.h"

namespace pixtrel {
namespace {

// Scales a picture already in memory into a white target of the given size.
Bitmap24 Scale(Raster& picture, const TargetSize& size, ResizeMethod method) {
  Bitmap24 target(size.width, size.height);
  if (method == ResizeMethod::Normal) {
    FastStretch(picture, target, Rect{0, 0, size.width, size.height});
  } else {
    const FilterEntry& lanczos = Lanczos3Entry();
    ResampleBitmap(picture, target, lanczos.function, lanczos.support);
  }
  return target;
}

// The first frame's indices with its colour table when it covers the whole logical screen.
std::optional<PaletteBitmap> WholeScreenIndices(const TGIFImage& picture) {
  if (picture.images.empty()) return std::nullopt;
  const TGIFSubImage& frame = picture.images.front();
  if (frame.empty() || frame.left != 0 || frame.top != 0 || frame.width != picture.width() ||
      frame.height != picture.height() ||
      frame.pixels.size() != static_cast<std::size_t>(frame.width) * frame.height) {
    return std::nullopt;
  }
  PaletteBitmap indices = FramePaletteBitmap(picture, frame);
  CoverIndicesWithTable(indices);  // indices past a short table keep drawing black
  return indices;
}

void ResizeGif(const Bytes& bytes, const FilePath& output, ResizeMethod method, int n,
               OutputSink& sink) {
  TGIFImage picture = DecodeGif(bytes);
  const TargetSize size = ResizedSize(picture.width(), picture.height(), n);
  if (method == ResizeMethod::Normal) {
    // Picking pixels needs no new colour: the indices are stretched and the table and the
    // transparent colour are kept, so a shrunk transparent area stays see-through, with no dark
    // fringe where it meets opaque pixels.
    if (std::optional<PaletteBitmap> indices = WholeScreenIndices(picture)) {
      const int transparent = picture.images.front().transparentIndex();
      const PaletteBitmap stretched = StretchPalette(*indices, size.width, size.height);
      indices.reset();
      SetGifRaster(picture, stretched);
      SetGifTransparentIndex(picture, transparent);
      WriteGifFile(picture, output, sink);
      return;
    }
  }
  Bitmap24 target(size.width, size.height);
  if (method == ResizeMethod::Normal) {
    DrawGifFrame(picture, target, Rect{0, 0, size.width, size.height});
  } else {
    // Drawn at its own size on white first, so transparent pixels become white.
    Raster whole = Bitmap24(picture.width(), picture.height());
    DrawGifFrame(picture, std::get<Bitmap24>(whole), Rect{0, 0, picture.width(), picture.height()});
    const FilterEntry& lanczos = Lanczos3Entry();
    ResampleBitmap(whole, target, lanczos.function, lanczos.support);
  }
  SetGifRaster(picture, std::move(target));
  WriteGifFile(picture, output, sink);
}

// The picture is scaled as stored and the small result turned upright, so a photo taken
// upright-on-its-side costs no turn of the full-size picture.
void ResizeJpeg(Bytes bytes, const FilePath& output, const ResizeSettings& settings,
                OutputSink& sink) {
  const PictureMetadata metadata = ReadJpegMetadata(bytes);
  TJPEGImage picture = JpegFromBytes(std::move(bytes));
  const Orientation orientation =
      settings.upright ? Orientation::FromExif(ExifOrientation(metadata.exif)) : Orientation{};
  // Sides scale alike, so the stored size turned is the upright picture's target.
  const TargetSize size = ResizedSize(picture.width(), picture.height(), settings.n);
  Bitmap24 target(size.width, size.height);
  if (settings.method == ResizeMethod::Normal) {
    Raster decoded = TakeJpegRaster(picture);
    FastStretch(decoded, target, Rect{0, 0, size.width, size.height});
  } else {
    // Each decoded band goes through the first resampling pass at once, so the full-size picture
    // is never held in memory; the bytes are those of resampling the whole decoded picture.
    const FilterEntry& lanczos = Lanczos3Entry();
    RowResampler resampler(picture.width(), picture.height(), target, lanczos.function,
                           lanczos.support);
    DecodeJpegRows(picture, [&](const std::uint8_t* rows, std::size_t stride, int first,
                                int count) { resampler.AddRows(rows, stride, first, count); });
    resampler.Finish();
  }
  SetJpegRaster(picture, TurnBitmap(std::move(target), orientation));
  picture.Quality = settings.jpegQuality;
  sink.put(output, EncodeJpegPicture(picture, metadata, settings.metadata, settings.upright));
}

void ResizeBmp(const Bytes& bytes, const FilePath& output, ResizeMethod method, int n,
               OutputSink& sink) {
  Raster picture = DecodeBmp(bytes);
  const TargetSize size = ResizedSize(RasterWidth(picture), RasterHeight(picture), n);
  const Bitmap24 target = Scale(picture, size, method);
  WriteBmpFile(target, output, sink);
}

// PNG and WebP: turned upright first, resized with their alpha, written in their own format.
void ResizeAnyFormat(const Bytes& bytes, const FilePath& output, ImageFormat format,
                     const ResizeSettings& settings, OutputSink& sink) {
  if (!RowOf(format).writable()) {
    throw Exception("Cannot write " + std::string(RowOf(format).title) +
                    " files: convert them to another format");
  }
  DecodedPicture picture = ReadUpright(bytes, format, settings.upright);
  const TargetSize size =
      ResizedSize(RasterWidth(picture.raster), RasterHeight(picture.raster), settings.n);
  const PictureMetadata metadata = std::move(picture.metadata);
  const bool lossless = picture.lossless;
  picture = ResizePicture(std::move(picture), size.width, size.height, settings.method);
  const OutputChoices choices =
      ChoicesFor(settings.jpegQuality, lossless, settings.metadata, settings.upright);
  sink.put(output, EncodePicture(std::move(picture), metadata, format, choices));
}

}  // namespace

void ResizeFile(const FilePath& source, const FilePath& output, ImageFormat format,
                const ResizeSettings& given, OutputSink& sink) {
  ResizeSettings settings = given;
  if (settings.n < 1) ResizedSize(1, 1, settings.n);  // refuse a bad size before reading anything
  Bytes bytes = ReadFileBytes(source);
  if (settings.shrinkOnly) {
    if (const std::optional<PictureSize> size = RowOf(format).probe(bytes);
        size && std::max(size->width, size->height) <= settings.n) {
      if (KeepAsIs(bytes, format, {settings.metadata, settings.upright, *size}, output, sink))
        return;
      // Its metadata must go: the picture is written anew at its own size.
      settings.n = std::max(size->width, size->height);
    }
  }
  switch (format) {
    case ImageFormat::Gif:
      return ResizeGif(bytes, output, settings.method, settings.n, sink);
    case ImageFormat::Jpeg:
      return ResizeJpeg(std::move(bytes), output, settings, sink);
    case ImageFormat::Bmp:
      return ResizeBmp(bytes, output, settings.method, settings.n, sink);
    case ImageFormat::Png:
    case ImageFormat::Webp:
    case ImageFormat::Heif:
      return ResizeAnyFormat(bytes, output, format, settings, sink);
  }
  // Only a value outside the enumeration gets here; it must not pass as a file resized.
  throw Exception("Cannot resize " + source.path.filename().string() + ": unknown picture format");
}

}  // namespace pixtrel
