#pragma once
// Nearest-neighbour stretch of a colour-index raster: every target pixel takes the index of the
// source pixel FastStretch would pick, and the colour table is kept, so nothing is averaged
// and no colour is lost or made up.
#include "core/PaletteBitmap.h"

namespace pixtrel {

// The whole source stretched to width x height (both at least 1), with the source's table and
// bits per pixel.
PaletteBitmap StretchPalette(const PaletteBitmap& source, int width, int height);

}  // namespace pixtrel
