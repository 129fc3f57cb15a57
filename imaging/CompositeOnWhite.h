#pragma once
// A picture with alpha shown where there is no alpha: drawn over a white background.
#include "core/Bitmap24.h"
#include "core/DecodedPicture.h"

namespace pixtrel {

// The picture drawn over a white background: every pixel becomes
// (colour * alpha + 255 * (255 - alpha) + 127) / 255 per channel, the exact result rounded to
// the nearest integer. Without an alpha plane the pixels are returned unchanged.
Bitmap24 CompositeOnWhite(const DecodedPicture& picture);
// The same, drawn over the picture's own raster: a picture at the size limit is not held twice.
Bitmap24 CompositeOnWhite(DecodedPicture&& picture);

}  // namespace pixtrel
