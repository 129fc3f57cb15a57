#pragma once
// Rasters of the core as Qt images, for display.
#include <QImage>

#include "core/Raster.h"

namespace pixtrel {

// The raster as an image of the same size; a palette raster is expanded through its table. A
// 24-bit raster's pixels are handed over, not copied. An empty raster gives a null image.
QImage RasterToImage(Raster raster);

}  // namespace pixtrel
