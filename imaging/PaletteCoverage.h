#pragma once
// A colour-index raster whose table covers every index it uses: indices beyond a short table
// draw black, so black entries are added for them, and the raster can be written as it shows.
#include "core/PaletteBitmap.h"

namespace pixtrel {

// Extends the table with black entries up to the highest index in use.
void CoverIndicesWithTable(PaletteBitmap& raster);

}  // namespace pixtrel
