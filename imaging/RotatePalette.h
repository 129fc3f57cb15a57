#pragma once
// Quarter-turn rotation of a colour-index raster: the indices move as Rotate90 moves pixels and
// the colour table is kept as it is, so a palette picture turns without losing a colour.
#include "core/PaletteBitmap.h"

namespace pixtrel {

// Turns source counter-clockwise by angle degrees (the angles and errors of Rotate90). The
// result has the source's colour table and bits per pixel; the source is only read.
PaletteBitmap RotatePalette(int angle, const PaletteBitmap& source);

}  // namespace pixtrel
