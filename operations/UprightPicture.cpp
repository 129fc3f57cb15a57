#include "operations/UprightPicture.h"

#include "operations/PictureFile.h"

namespace pixtrel {

void TurnPicture(DecodedPicture& picture, Orientation orientation) {
  if (orientation.upright()) return;
  const int width = RasterWidth(picture.raster), height = RasterHeight(picture.raster);
  picture.raster = TurnRaster(std::move(picture.raster), orientation);
  if (picture.alpha)
    picture.alpha = TurnPlane(std::move(*picture.alpha), width, height, orientation);
}

StoredPicture ReadStored(std::span<const std::uint8_t> bytes, ImageFormat format, bool upright) {
  StoredPicture stored{DecodePicture(bytes, format, upright), Orientation{}};
  if (upright) stored.toUpright = Orientation::FromExif(OrientationTag(stored.picture, format));
  return stored;
}

DecodedPicture ReadUpright(std::span<const std::uint8_t> bytes, ImageFormat format, bool upright) {
  StoredPicture stored = ReadStored(bytes, format, upright);
  TurnPicture(stored.picture, stored.toUpright);
  return std::move(stored.picture);
}

}  // namespace pixtrel
