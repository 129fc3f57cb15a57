#include "operations/ResizeFile.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <string>

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

// A colour-index file (GIF): picking pixels keeps its colour table, blending draws it on white
// and reduces the result to the fixed palette.
void ResizeIndexed(const Bytes& bytes, const FilePath& output, const FormatRow& row,
                   ResizeMethod method, int n, OutputSink& sink) {
  const std::unique_ptr<IndexedFile> picture = row.openIndexed(bytes);
  const TargetSize size = ResizedSize(picture->width(), picture->height(), n);
  if (method == ResizeMethod::Normal) {
    // Picking pixels needs no new colour: the indices are stretched and the table and the
    // transparent colour are kept, so a shrunk transparent area stays see-through, with no dark
    // fringe where it meets opaque pixels.
    if (std::optional<PaletteBitmap> indices = picture->wholeScreenIndices()) {
      CoverIndicesWithTable(*indices);  // indices past a short table keep drawing black
      const int transparent = picture->transparentIndex();
      const PaletteBitmap stretched = StretchPalette(*indices, size.width, size.height);
      indices.reset();
      sink.put(output, picture->rewrite(stretched, transparent));
      return;
    }
  }
  Bitmap24 target(size.width, size.height);
  if (method == ResizeMethod::Normal) {
    picture->draw(target, Rect{0, 0, size.width, size.height});
  } else {
    // Drawn at its own size on white first, so transparent pixels become white.
    Raster whole = Bitmap24(picture->width(), picture->height());
    picture->draw(std::get<Bitmap24>(whole), Rect{0, 0, picture->width(), picture->height()});
    const FilterEntry& lanczos = Lanczos3Entry();
    ResampleBitmap(whole, target, lanczos.function, lanczos.support);
  }
  sink.put(output, picture->rewrite(Raster(std::move(target)), -1));
}

// A format decoded band by band (JPEG): the picture is scaled as stored and the small result
// turned upright, so a photo taken upright-on-its-side costs no turn of the full-size picture.
void ResizeByBands(Bytes bytes, const FilePath& output, const FormatRow& row,
                   const ResizeSettings& settings, OutputSink& sink) {
  const PictureMetadata metadata = ReadMetadata(bytes, row);
  const Orientation orientation = settings.upright && row.orientation == OrientationSource::Exif
                                      ? Orientation::FromExif(ExifOrientation(metadata.exif))
                                      : Orientation{};
  Bitmap24 target;
  bool progressive = false;
  std::optional<RowResampler> resampler;
  const FilterEntry& lanczos = Lanczos3Entry();
  const auto layoutKnown = [&](const StoredLayout& layout) {
    // Sides scale alike, so the stored size turned is the upright picture's target.
    const TargetSize size = ResizedSize(layout.width, layout.height, settings.n);
    target = Bitmap24(size.width, size.height);
    progressive = layout.progressive;
    if (settings.method != ResizeMethod::Normal) {
      resampler.emplace(layout.width, layout.height, target, lanczos.function, lanczos.support);
    }
  };
  if (settings.method == ResizeMethod::Normal) {
    Raster decoded = row.decodeBands(std::move(bytes), layoutKnown, nullptr);
    FastStretch(decoded, target, Rect{0, 0, target.width(), target.height()});
  } else {
    // Each decoded band goes through the first resampling pass at once, so the full-size picture
    // is never held in memory; the bytes are those of resampling the whole decoded picture.
    const BandRows rows = [&](const std::uint8_t* band, std::size_t stride, int first, int count) {
      resampler->AddRows(band, stride, first, count);
    };
    row.decodeBands(std::move(bytes), layoutKnown, &rows);
    resampler->Finish();
    resampler.reset();
  }
  DecodedPicture result;
  result.raster = TurnBitmap(std::move(target), orientation);
  OutputChoices choices =
      ChoicesFor(settings.jpegQuality, false, settings.metadata, settings.upright);
  choices.progressive = progressive;
  sink.put(output, EncodePicture(std::move(result), metadata, row, choices));
}

// Any other format: turned upright first, resized with its alpha, written in its own format.
// A format that keeps no colour table is resized from 24 bits (a BMP always comes out 24-bit).
PictureSize ResizeDecoded(const Bytes& bytes, const FilePath& output, const FormatRow& row,
                          const ResizeSettings& settings, OutputSink& sink) {
  if (!row.writable()) {
    throw Exception("Cannot write " + std::string(row.title) +
                    " files: convert them to another format");
  }
  DecodedPicture picture = ReadUpright(bytes, row, settings.upright);
  if (!row.keepsPalette && std::holds_alternative<PaletteBitmap>(picture.raster))
    picture.raster = ToBitmap24(std::move(picture.raster));
  const PictureSize seen{RasterWidth(picture.raster), RasterHeight(picture.raster)};
  const TargetSize size = ResizedSize(seen.width, seen.height, settings.n);
  const PictureMetadata metadata = std::move(picture.metadata);
  const bool lossless = picture.lossless;
  picture = ResizePicture(std::move(picture), size.width, size.height, settings.method);
  const OutputChoices choices =
      ChoicesFor(settings.jpegQuality, lossless, settings.metadata, settings.upright);
  sink.put(output, EncodePicture(std::move(picture), metadata, row, choices));
  return seen;
}

}  // namespace

std::optional<PictureSize> ResizeFile(const FilePath& source, const FilePath& output,
                                      const FormatRow& row, const ResizeSettings& given,
                                      OutputSink& sink) {
  ResizeSettings settings = given;
  if (settings.n < 1) ResizedSize(1, 1, settings.n);  // refuse a bad size before reading anything
  Bytes bytes = ReadFileBytes(source);
  if (settings.shrinkOnly) {
    if (const std::optional<PictureSize> size = row.probe(bytes);
        size && std::max(size->width, size->height) <= settings.n) {
      if (KeepAsIs(bytes, row, {settings.metadata, settings.upright, *size}, output, sink))
        return std::nullopt;
      // Its metadata must go: the picture is written anew at its own size.
      settings.n = std::max(size->width, size->height);
    }
  }
  // The route by what the format's codec offers; their orders of scaling and turning differ, and
  // so do their bytes.
  if (row.decodeBands) {
    ResizeByBands(std::move(bytes), output, row, settings, sink);
    return std::nullopt;
  }
  if (row.openIndexed) {
    ResizeIndexed(bytes, output, row, settings.method, settings.n, sink);
    return std::nullopt;
  }
  return ResizeDecoded(bytes, output, row, settings, sink);
}

}  // namespace pixtrel
