#pragma once
// Quarter-turn rotation of a 24-bit raster into a new raster.
#include "core/Bitmap24.h"
#include "core/Raster.h"

namespace pixtrel {

// Turns source counter-clockwise by angle degrees, a multiple of 90 (270 is a clockwise quarter
// turn; negative angles turn clockwise, so -90 acts like 270). Raises EBitmapError "Can Rotate90
// only 24-bit bitmap" for a PaletteBitmap source and "Rotate90:  Angle not positive multiple of
// 90 degrees" for any other angle, before allocating anything. The source is only read.
Bitmap24 Rotate90(int angle, const Raster& source);
Bitmap24 Rotate90(int angle, const Bitmap24& source);

// The quarter turns an angle stands for (0 to 3), or the angle error.
int QuarterTurns(int angle);

}  // namespace pixtrel
