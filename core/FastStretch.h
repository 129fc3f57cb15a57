#pragma once
// Nearest-neighbour stretch of a whole raster into a rectangle of a 24-bit raster.
#include "core/Bitmap24.h"
#include "core/Raster.h"

namespace pixtrel {

// Half-open rectangle [left, right) x [top, bottom) in target pixels.
struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
};

// The source index a target index samples: the source pixel under the target pixel's centre.
// Identity when the lengths are equal. targetLen must be positive.
inline int StretchSourceIndex(int target, int sourceLen, int targetLen) {
  return static_cast<int>((static_cast<long long>(2 * target + 1) * sourceLen) / (2LL * targetLen));
}

// Fills rect of target with the whole source scaled to the rectangle's size: rows and columns are
// dropped when shrinking and repeated when enlarging, nothing is averaged. Parts of the rectangle
// outside the target are clipped; pixels outside the rectangle are untouched. A PaletteBitmap
// source is looked up in its table (indices beyond it give black).
void FastStretch(const Raster& source, Bitmap24& target, const Rect& rect);
void FastStretch(const Bitmap24& source, Bitmap24& target, const Rect& rect);

}  // namespace pixtrel
