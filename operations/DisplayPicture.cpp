#include "operations/DisplayPicture.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <string>
#include <utility>

#include "codecs/Registry.h"
#include "core/Errors.h"
#include "core/FileName.h"
#include "core/Limits.h"
#include "imaging/CompositeOnWhite.h"
#include "imaging/Orientation.h"
#include "io/FileBytes.h"
#include "metadata/ExifBlock.h"
#include "operations/PictureFile.h"
#include "operations/UprightPicture.h"

namespace pixtrel {
namespace {

using ShownSize = std::function<ShownPixels(ShownPixels)>;

ShownPixels Transposed(ShownPixels size) {
  return ShownPixels{size.height, size.width};
}

// A colour-index file (GIF): its first frame drawn on white at the screen's size.
Raster ReadIndexedPicture(const std::filesystem::path& file, const FormatRow& row) {
  const std::unique_ptr<IndexedFile> picture = row.openIndexed(ReadFileBytes(file));
  CheckPictureSize(picture->width(), picture->height());
  Bitmap24 canvas(picture->width(), picture->height());
  picture->draw(canvas, Rect{0, 0, picture->width(), picture->height()});
  return canvas;
}

// A format with a quick decoding for display (JPEG): upright as its orientation tag says; with
// shownSize, decoded at about that size (full is set to the upright picture's own).
Raster ReadScaledPicture(const std::filesystem::path& file, const FormatRow& row,
                         const ShownSize& shownSize, ShownPixels& full) {
  Bytes bytes = ReadFileBytes(file);
  const Orientation orientation =
      row.orientation == OrientationSource::Exif
          ? Orientation::FromExif(ExifOrientation(ReadMetadata(bytes, row).exif))
          : Orientation{};
  if (!shownSize) return TurnRaster(std::move(row.decode(bytes, false).raster), orientation);
  const auto shownFor = [&](PictureSize size) {
    const ShownPixels stored{size.width, size.height};
    full = orientation.swapsSides() ? Transposed(stored) : stored;
    ShownPixels shown = shownSize(full);
    if (orientation.swapsSides()) shown = Transposed(shown);
    PictureSize asked;
    asked.width = shown.width;
    asked.height = shown.height;
    return asked;
  };
  return TurnRaster(row.decodeForDisplay(std::move(bytes), shownFor), orientation);
}

// Any other format: upright, transparent parts on white as GIF's are shown, or with their
// alpha plane handed back for the caller to show over something else.
Raster ReadOtherPicture(const std::filesystem::path& file, const FormatRow& row,
                        std::optional<std::vector<std::uint8_t>>* alpha) {
  const Bytes bytes = ReadFileBytes(file);
  DecodedPicture picture = ReadUpright(bytes, row, true);
  // A format without alpha and a picture without it come as the reader gives them (a BMP's
  // colour table kept).
  if (!row.keepsAlpha && !picture.alpha) return std::move(picture.raster);
  if (!alpha || !picture.alpha) return CompositeOnWhite(picture);
  *alpha = std::move(picture.alpha);
  return std::move(picture.raster);
}

// Whether the viewer opens files of the row with this extension (lower case, with the dot).
bool Shown(const FormatRow& row, const std::string& extension) {
  const auto& shown = row.displayExtensions.empty() ? row.extensions : row.displayExtensions;
  return std::find(shown.begin(), shown.end(), extension) != shown.end();
}

}  // namespace

Raster ReadPictureForDisplay(const std::filesystem::path& file, const ShownSize& shownSize,
                             ShownPixels& full, std::optional<std::vector<std::uint8_t>>* alpha) {
  const std::string name = file.filename().string();
  std::string extension(ExtensionOf(name));
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  const FormatRow* row = RowForFileName(name);
  if (!row || !Shown(*row, extension)) {
    std::string shown(ExtensionOf(name));
    if (!shown.empty()) shown.erase(0, 1);
    throw Exception("Unknown picture file extension (." + shown + ")");
  }
  if (row->decodeForDisplay) return ReadScaledPicture(file, *row, shownSize, full);
  if (row->openIndexed) return ReadIndexedPicture(file, *row);
  return ReadOtherPicture(file, *row, alpha);
}

}  // namespace pixtrel
