#include "windows/RasterImage.h"

#include <memory>
#include <utility>

namespace pixtrel {
namespace {

void DeleteBitmap(void* bitmap) {
  delete static_cast<Bitmap24*>(bitmap);
}

}  // namespace

QImage RasterToImage(Raster raster) {
  auto bitmap = std::make_unique<Bitmap24>(ToBitmap24(std::move(raster)));
  if (bitmap->empty()) return QImage();
  // Rows are blue, green, red and padded to four bytes, which the image takes as they are.
  QImage image(bitmap->data(), bitmap->width(), bitmap->height(),
               static_cast<qsizetype>(bitmap->stride()), QImage::Format_BGR888, &DeleteBitmap,
               bitmap.get());
  if (!image.isNull()) bitmap.release();  // the image owns it now
  return image;
}

}  // namespace pixtrel
