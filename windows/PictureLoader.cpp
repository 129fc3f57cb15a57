#include "windows/PictureLoader.h"

#include <string>

#include "formats/Bmp.h"
#include "formats/Errors.h"
#include "formats/ExifBlock.h"
#include "formats/FileBytes.h"
#include "formats/GifDraw.h"
#include "formats/GifReader.h"
#include "formats/ImageFormat.h"
#include "formats/JpegImage.h"
#include "formats/JpegMetadata.h"
#include "formats/JpegPreview.h"
#include "formats/Limits.h"
#include "imaging/Orientation.h"
#include "imaging/UprightPicture.h"
#include "windows/LocalPath.h"
#include "windows/RasterImage.h"

namespace pixtrel {
namespace {

using ShownSize = std::function<QSize(QSize)>;

Raster ReadGifPicture(const std::filesystem::path& file) {
  const TGIFImage picture = ReadGifFile(file);
  CheckPictureSize(picture.width(), picture.height());
  Bitmap24 canvas(picture.width(), picture.height());
  DrawGifFrame(picture, canvas, Rect{0, 0, picture.width(), picture.height()});
  return canvas;
}

// Upright as its orientation tag says; with shownSize, decoded for display at about that size
// (full is set to the upright picture's own).
Raster ReadJpegPicture(const std::filesystem::path& file, const ShownSize& shownSize, QSize& full) {
  Bytes bytes = ReadFileBytes(file);
  const Orientation orientation =
      Orientation::FromExif(ExifOrientation(ReadJpegMetadata(bytes).exif));
  TJPEGImage picture = JpegFromBytes(std::move(bytes));
  if (!shownSize) return TurnRaster(TakeJpegRaster(picture), orientation);
  const QSize stored(picture.width(), picture.height());
  full = orientation.swapsSides() ? stored.transposed() : stored;
  QSize shown = shownSize(full);
  if (orientation.swapsSides()) shown.transpose();
  return TurnRaster(DecodeJpegForDisplay(picture, shown.width(), shown.height()), orientation);
}

// PNG, WebP, HEIC and AVIF: upright, transparent parts on white as GIF's are shown.
Raster ReadOtherPicture(const std::filesystem::path& file, ImageFormat format) {
  const Bytes bytes = ReadFileBytes(file);
  return CompositeOnWhite(ReadUpright(bytes, format, true));
}

// The picture and its full size, decoded for display when shownSize is given.
QImage LoadPicture(const QString& path, const ShownSize& shownSize, QSize& full) {
  const std::filesystem::path file = LocalPath(path);
  const std::string name = file.filename().string();
  std::string extension(ExtensionOf(name));
  if (!extension.empty()) extension.erase(0, 1);
  const QString key = QString::fromStdString(extension).toLower();
  Raster raster;
  if (key == QLatin1String("jpg") || key == QLatin1String("jpeg")) {
    raster = ReadJpegPicture(file, shownSize, full);
  } else if (key == QLatin1String("gif")) {
    raster = ReadGifPicture(file);
  } else if (key == QLatin1String("bmp")) {
    raster = ReadBmpFile(file);
  } else if (const std::optional<ImageFormat> format = FormatFromExtension(name);
             format && *format != ImageFormat::Jpeg) {
    raster = ReadOtherPicture(file, *format);
  } else {
    throw Exception("Unknown picture file extension (." + extension + ")");
  }
  if (full.isEmpty()) full = QSize(RasterWidth(raster), RasterHeight(raster));
  QImage image = RasterToImage(std::move(raster));
  if (image.isNull()) throw EBitmapError("Bitmap image is not valid");
  return image;
}

}  // namespace

QImage LoadPictureFile(const QString& path) {
  QSize full;
  return LoadPicture(path, nullptr, full);
}

PictureToShow LoadPictureToShow(const QString& path, const std::function<QSize(QSize)>& shownSize) {
  PictureToShow picture;
  picture.image = LoadPicture(path, shownSize, picture.fullSize);
  return picture;
}

}  // namespace pixtrel
