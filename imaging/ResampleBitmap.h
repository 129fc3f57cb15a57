#pragma once
// The filtered resampler: separable convolution of a 24-bit raster into a target of any size,
// rows first into a byte intermediate, then columns.
#include "formats/Bitmap24.h"
#include "formats/Raster.h"
#include "imaging/FilterTable.h"

namespace pixtrel {

// Resamples source into target, whose width and height (set by the caller) are the output size;
// every target pixel is overwritten. A PaletteBitmap source is first expanded to 24 bits in
// place. A source without columns or rows raises Exception "Source bitmap too small" and leaves
// both rasters untouched. Source and target may be the same raster.
void ResampleBitmap(Raster& source, Bitmap24& target, FilterFunction filter, float support);
void ResampleBitmap(const Bitmap24& source, Bitmap24& target, FilterFunction filter, float support);

}  // namespace pixtrel
