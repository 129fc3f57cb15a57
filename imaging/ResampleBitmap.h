#pragma once
// The filtered resampler: separable convolution of a 24-bit raster into a target of any size,
// rows first into a byte intermediate, then columns.
#include "core/Bitmap24.h"
#include "core/Raster.h"
#include "imaging/FilterTable.h"

namespace pixtrel {

// Resamples source into target, whose width and height (set by the caller) are the output size;
// every target pixel is overwritten. A PaletteBitmap source is first expanded to 24 bits in
// place. Source and target may be the same raster. Errors, all raised before the target is
// touched: Exception "Source bitmap too small" for a source without columns or rows (nothing
// else happens then); Exception "Invalid floating point operation" for a support that is
// negative, infinite or not a number; the picture size limits when the intermediate raster
// (target width x source height) would be too large; std::bad_alloc when memory runs out.
void ResampleBitmap(Raster& source, Bitmap24& target, FilterFunction filter, float support);
void ResampleBitmap(const Bitmap24& source, Bitmap24& target, FilterFunction filter, float support);

}  // namespace pixtrel
