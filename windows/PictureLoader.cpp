#include "windows/PictureLoader.h"

#include <optional>
#include <string>
#include <vector>

#include "core/Errors.h"
#include "operations/DisplayPicture.h"
#include "windows/LocalPath.h"
#include "windows/RasterImage.h"

namespace pixtrel {
namespace {

using ShownSize = std::function<QSize(QSize)>;

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
  std::function<ShownPixels(ShownPixels)> shown;
  if (shownSize) {
    shown = [&shownSize](ShownPixels size) {
      const QSize s = shownSize(QSize(size.width, size.height));
      return ShownPixels{s.width(), s.height()};
    };
  }
  ShownPixels fullPixels{full.width(), full.height()};
  std::optional<std::vector<std::uint8_t>> alpha;
  Raster raster =
      ReadPictureForDisplay(LocalPath(path), shown, fullPixels, keepAlpha ? &alpha : nullptr);
  full = QSize(fullPixels.width, fullPixels.height);
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
