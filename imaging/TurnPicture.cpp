#include "imaging/TurnPicture.h"

namespace pixtrel {

void TurnPicture(DecodedPicture& picture, Orientation orientation) {
  if (orientation.upright()) return;
  const int width = RasterWidth(picture.raster), height = RasterHeight(picture.raster);
  picture.raster = TurnRaster(std::move(picture.raster), orientation);
  picture.deep.reset();  // not turned with it
  if (picture.alpha)
    picture.alpha = TurnPlane(std::move(*picture.alpha), width, height, orientation);
}

}  // namespace pixtrel
