#include "windows/PictureLoader.h"

#include <string>

#include "formats/Bmp.h"
#include "formats/Errors.h"
#include "formats/GifDraw.h"
#include "formats/GifReader.h"
#include "formats/ImageFormat.h"
#include "formats/JpegImage.h"
#include "formats/Limits.h"
#include "windows/LocalPath.h"
#include "windows/RasterImage.h"

namespace pixtrel {
namespace {

Raster ReadGifPicture(const std::filesystem::path& file) {
  const TGIFImage picture = ReadGifFile(file);
  CheckPictureSize(picture.width(), picture.height());
  Bitmap24 canvas(picture.width(), picture.height());
  DrawGifFrame(picture, canvas, Rect{0, 0, picture.width(), picture.height()});
  return canvas;
}

Raster ReadJpegPicture(const std::filesystem::path& file) {
  TJPEGImage picture = ReadJpegFile(file);
  return TakeJpegRaster(picture);
}

}  // namespace

QImage LoadPictureFile(const QString& path) {
  const std::filesystem::path file = LocalPath(path);
  const std::string name = file.filename().string();
  std::string extension(ExtensionOf(name));
  if (!extension.empty()) extension.erase(0, 1);
  const QString key = QString::fromStdString(extension).toLower();
  Raster raster;
  if (key == QLatin1String("jpg") || key == QLatin1String("jpeg")) {
    raster = ReadJpegPicture(file);
  } else if (key == QLatin1String("gif")) {
    raster = ReadGifPicture(file);
  } else if (key == QLatin1String("bmp")) {
    raster = ReadBmpFile(file);
  } else {
    throw Exception("Unknown picture file extension (." + extension + ")");
  }
  QImage image = RasterToImage(std::move(raster));
  if (image.isNull()) throw EBitmapError("Bitmap image is not valid");
  return image;
}

}  // namespace pixtrel
