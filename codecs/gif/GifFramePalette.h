#pragma once
// The colour table of one GIF frame written from truecolour pixels. This is the one place that
// picks a frame's colours, so a better quantizer can take its place without touching the writer.
#include <cstdint>
#include <vector>

#include "core/Bitmap24.h"
#include "core/PaletteBitmap.h"

namespace pixtrel {

struct GifFrameColours {
  PaletteBitmap indices;      // the pixels as indices into its table (at most 256 colours)
  int transparentIndex = -1;  // the table entry that stands for transparency, or -1
};

// Pixels whose alpha (one byte per pixel, row after row; null: all opaque) is below 128 become
// transparent; the others are opaque. The table has a transparent entry when some pixel is
// transparent, or when reserveTransparent asks for one all the same. When the opaque pixels have
// few enough colours (256, or 255 beside a transparent entry) the table holds exactly those, in the
// order they first appear row by row, and the transparent entry comes after them. Otherwise each
// colour is rounded to the nearest of a fixed 6 x 7 x 6 grid (red and blue in steps of 51, green in
// steps of 42.5) and the table is that grid of 252 colours, with the transparent entry at 252.
// Deterministic: the same pixels always give the same table and indices.
GifFrameColours BuildGifPalette(const Bitmap24& pixels, const std::uint8_t* alpha,
                                bool reserveTransparent = false);

}  // namespace pixtrel
