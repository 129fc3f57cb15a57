#pragma once
// Resizing a decoded picture with its alpha plane, for the formats that keep transparency.
#include "core/DecodedPicture.h"
#include "imaging/ResizeMethod.h"

namespace pixtrel {

// The picture scaled to width x height (both at least 1). Normal picks pixels: colour-table
// indices stay indices with their table, and alpha is picked alike. Better resamples with the
// "Lanczos3" filter; with alpha, the colours are weighted by their opacity (premultiplied)
// so that transparent pixels lend no colour to their opaque neighbours.
DecodedPicture ResizePicture(DecodedPicture picture, int width, int height, ResizeMethod method);

}  // namespace pixtrel
