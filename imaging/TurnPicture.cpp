#include "imaging/TurnPicture.h"

#include "imaging/DeepGeometry.h"

namespace pixtrel {

void TurnPicture(DecodedPicture& picture, Orientation orientation) {
  if (orientation.upright()) return;
  const int width = RasterWidth(picture.raster), height = RasterHeight(picture.raster);
  picture.raster = TurnRaster(std::move(picture.raster), orientation);
  if (picture.deep) picture.deep = TurnDeep(*picture.deep, orientation);
  if (picture.alpha)
    picture.alpha = TurnPlane(std::move(*picture.alpha), width, height, orientation);
}

}  // namespace pixtrel
