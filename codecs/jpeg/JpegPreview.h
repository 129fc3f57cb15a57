#pragma once
// A JPEG decoded with libjpeg's DCT scaling straight to about the size it is needed at, which
// takes a fraction of the time of decoding the full size and shrinking that: for the preview
// and viewer, and for the one-pass command's fast method. The classic commands' outputs never
// come from here.
#include <cstdint>
#include <optional>
#include <span>

#include "codecs/jpeg/JpegImage.h"
#include "core/Raster.h"

namespace pixtrel {

// The eighths M (1..8) of the smallest scale M/8 at which a width x height picture decodes to at
// least shownWidth x shownHeight, each side of the output being side x M / 8 rounded up as the
// codec rounds it; 8 when only the full size will do.
int DisplayScaleEighths(int width, int height, int shownWidth, int shownHeight);

// The file decoded at eighths/8 of its size (1..8, each side rounded up) by libjpeg's DCT
// scaling with its accurate integer transform, as the full decode gives its kinds of raster.
// Four-component files: their colours by the plain formula when plainCmyk, else nothing (their
// profile, which the full decode applies, is not read here). Fails as DecodeJpeg does.
std::optional<Raster> DecodeJpegScaled(std::span<const std::uint8_t> data, int eighths,
                                       bool plainCmyk);

// The picture decoded at DisplayScaleEighths for the size shown, with the faster integer DCT:
// at least that size, never larger than the picture. Colour files give a Bitmap24, one-component
// files an 8-bit PaletteBitmap of grey levels as DecodeJpeg does; a picture that holds a raster
// gives a copy of it, empty data an empty raster. Fails as DecodeJpeg does.
Raster DecodeJpegForDisplay(const TJPEGImage& picture, int shownWidth, int shownHeight);

}  // namespace pixtrel
