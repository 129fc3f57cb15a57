#include "operations/DisplayPicture.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <utility>

#include "codecs/ImageFormat.h"
#include "codecs/bmp/Bmp.h"
#include "codecs/gif/GifDraw.h"
#include "codecs/gif/GifReader.h"
#include "codecs/jpeg/JpegImage.h"
#include "codecs/jpeg/JpegMetadata.h"
#include "codecs/jpeg/JpegPreview.h"
#include "core/Errors.h"
#include "core/Limits.h"
#include "imaging/CompositeOnWhite.h"
#include "imaging/Orientation.h"
#include "io/FileBytes.h"
#include "metadata/ExifBlock.h"
#include "operations/UprightPicture.h"

namespace pixtrel {
namespace {

using ShownSize = std::function<ShownPixels(ShownPixels)>;

ShownPixels Transposed(ShownPixels size) {
  return ShownPixels{size.height, size.width};
}

Raster ReadGifPicture(const std::filesystem::path& file) {
  const TGIFImage picture = ReadGifFile(file);
  CheckPictureSize(picture.width(), picture.height());
  Bitmap24 canvas(picture.width(), picture.height());
  DrawGifFrame(picture, canvas, Rect{0, 0, picture.width(), picture.height()});
  return canvas;
}

// Upright as its orientation tag says; with shownSize, decoded for display at about that size
// (full is set to the upright picture's own).
Raster ReadJpegPicture(const std::filesystem::path& file, const ShownSize& shownSize,
                       ShownPixels& full) {
  Bytes bytes = ReadFileBytes(file);
  const Orientation orientation =
      Orientation::FromExif(ExifOrientation(ReadJpegMetadata(bytes).exif));
  TJPEGImage picture = JpegFromBytes(std::move(bytes));
  if (!shownSize) return TurnRaster(TakeJpegRaster(picture), orientation);
  const ShownPixels stored{picture.width(), picture.height()};
  full = orientation.swapsSides() ? Transposed(stored) : stored;
  ShownPixels shown = shownSize(full);
  if (orientation.swapsSides()) shown = Transposed(shown);
  return TurnRaster(DecodeJpegForDisplay(picture, shown.width, shown.height), orientation);
}

// PNG, WebP, HEIC and AVIF: upright, transparent parts on white as GIF's are shown, or with
// their alpha plane handed back for the caller to show over something else.
Raster ReadOtherPicture(const std::filesystem::path& file, ImageFormat format,
                        std::optional<std::vector<std::uint8_t>>* alpha) {
  const Bytes bytes = ReadFileBytes(file);
  DecodedPicture picture = ReadUpright(bytes, format, true);
  if (!alpha || !picture.alpha) return CompositeOnWhite(picture);
  *alpha = std::move(picture.alpha);
  return std::move(picture.raster);
}

}  // namespace

Raster ReadPictureForDisplay(const std::filesystem::path& file, const ShownSize& shownSize,
                             ShownPixels& full, std::optional<std::vector<std::uint8_t>>* alpha) {
  const std::string name = file.filename().string();
  std::string extension(ExtensionOf(name));
  if (!extension.empty()) extension.erase(0, 1);
  std::string key = extension;
  std::transform(key.begin(), key.end(), key.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (key == "jpg" || key == "jpeg") return ReadJpegPicture(file, shownSize, full);
  if (key == "gif") return ReadGifPicture(file);
  if (key == "bmp") return ReadBmpFile(file);
  if (const std::optional<ImageFormat> format = FormatFromExtension(name);
      format && *format != ImageFormat::Jpeg) {
    return ReadOtherPicture(file, *format, alpha);
  }
  throw Exception("Unknown picture file extension (." + extension + ")");
}

}  // namespace pixtrel
