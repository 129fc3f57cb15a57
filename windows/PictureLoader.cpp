#include "windows/PictureLoader.h"

#include <optional>
#include <string>
#include <vector>

#include "codecs/ImageFormat.h"
#include "codecs/bmp/Bmp.h"
#include "codecs/gif/GifDraw.h"
#include "codecs/gif/GifReader.h"
#include "codecs/jpeg/JpegImage.h"
#include "codecs/jpeg/JpegMetadata.h"
#include "codecs/jpeg/JpegPreview.h"
#include "core/Errors.h"
#include "core/Limits.h"
#include "imaging/Orientation.h"
#include "io/FileBytes.h"
#include "metadata/ExifBlock.h"
#include "operations/UprightPicture.h"
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

// The opaque image with the alpha plane (one byte per pixel, rows unpadded) as its alpha.
QImage WithAlpha(const QImage& opaque, const std::vector<std::uint8_t>& alpha) {
  const int w = opaque.width(), h = opaque.height();
  if (alpha.size() != static_cast<std::size_t>(w) * static_cast<std::size_t>(h)) return opaque;
  QImage image = opaque.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < h; ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    const std::uint8_t* a =
        alpha.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(w);
    for (int x = 0; x < w; ++x)
      row[x] = qRgba(qRed(row[x]), qGreen(row[x]), qBlue(row[x]), a[x]);
  }
  return image;
}

// The picture and its full size, decoded for display when shownSize is given.
QImage LoadPicture(const QString& path, const ShownSize& shownSize, QSize& full,
                   bool keepAlpha = false) {
  const std::filesystem::path file = LocalPath(path);
  const std::string name = file.filename().string();
  std::string extension(ExtensionOf(name));
  if (!extension.empty()) extension.erase(0, 1);
  const QString key = QString::fromStdString(extension).toLower();
  Raster raster;
  std::optional<std::vector<std::uint8_t>> alpha;
  if (key == QLatin1String("jpg") || key == QLatin1String("jpeg")) {
    raster = ReadJpegPicture(file, shownSize, full);
  } else if (key == QLatin1String("gif")) {
    raster = ReadGifPicture(file);
  } else if (key == QLatin1String("bmp")) {
    raster = ReadBmpFile(file);
  } else if (const std::optional<ImageFormat> format = FormatFromExtension(name);
             format && *format != ImageFormat::Jpeg) {
    raster = ReadOtherPicture(file, *format, keepAlpha ? &alpha : nullptr);
  } else {
    throw Exception("Unknown picture file extension (." + extension + ")");
  }
  if (full.isEmpty()) full = QSize(RasterWidth(raster), RasterHeight(raster));
  QImage image = RasterToImage(std::move(raster));
  if (image.isNull()) throw EBitmapError("Bitmap image is not valid");
  return alpha ? WithAlpha(image, *alpha) : image;
}

}  // namespace

QImage LoadPictureFile(const QString& path) {
  QSize full;
  return LoadPicture(path, nullptr, full);
}

PictureToShow LoadPictureToShow(const QString& path, const std::function<QSize(QSize)>& shownSize,
                                bool keepAlpha) {
  PictureToShow picture;
  picture.image = LoadPicture(path, shownSize, picture.fullSize, keepAlpha);
  return picture;
}

}  // namespace pixtrel
