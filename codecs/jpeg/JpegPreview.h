#pragma once
// Display only: a JPEG decoded with libjpeg's DCT scaling straight to about the size it is shown
// at, which takes a fraction of the time of decoding the full size and shrinking that. The
// program's outputs never come from here.
#include "codecs/jpeg/JpegImage.h"
#include "core/Raster.h"

namespace pixtrel {

// The eighths M (1..8) of the smallest scale M/8 at which a width x height picture decodes to at
// least shownWidth x shownHeight, each side of the output being side x M / 8 rounded up as the
// codec rounds it; 8 when only the full size will do.
int DisplayScaleEighths(int width, int height, int shownWidth, int shownHeight);

// The picture decoded at DisplayScaleEighths for the size shown, with the faster integer DCT:
// at least that size, never larger than the picture. Colour files give a Bitmap24, one-component
// files an 8-bit PaletteBitmap of grey levels as DecodeJpeg does; a picture that holds a raster
// gives a copy of it, empty data an empty raster. Fails as DecodeJpeg does.
Raster DecodeJpegForDisplay(const TJPEGImage& picture, int shownWidth, int shownHeight);

}  // namespace pixtrel
