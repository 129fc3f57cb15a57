#pragma once
// A picture in memory: either 24-bit pixels or colour-table indices.
#include <variant>

#include "core/Bitmap24.h"
#include "core/PaletteBitmap.h"

namespace pixtrel {

using Raster = std::variant<Bitmap24, PaletteBitmap>;

int RasterWidth(const Raster& raster);
int RasterHeight(const Raster& raster);
bool RasterEmpty(const Raster& raster);

// The raster as 24 bits per pixel (a PaletteBitmap is expanded through its table).
Bitmap24 ToBitmap24(const Raster& raster);
Bitmap24 ToBitmap24(Raster&& raster);

}  // namespace pixtrel
