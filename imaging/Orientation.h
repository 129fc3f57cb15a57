#pragma once
// The eight EXIF orientations: how a picture stored one way is turned to be seen upright. Each
// is a mirror (or none) followed by a number of clockwise quarter turns, so the orientation and
// a turn the user asks for combine into one step over the pixels.
#include <cstdint>
#include <vector>

#include "core/Raster.h"

namespace pixtrel {

// 1 to 8 as the EXIF orientation tag writes them: 1 upright, 2 mirrored left to right, 3 upside
// down, 4 mirrored top to bottom, 5 mirrored along the main diagonal, 6 to be turned a quarter
// to the right, 7 mirrored along the other diagonal, 8 to be turned a quarter to the left.
struct Orientation {
  bool mirror = false;        // left to right, first
  int clockwiseQuarters = 0;  // then turned, 0 to 3

  static Orientation FromExif(int tag);  // 1 for values outside 1..8
  int exifTag() const;
  bool swapsSides() const { return clockwiseQuarters % 2 == 1; }
  bool upright() const { return !mirror && clockwiseQuarters == 0; }
  // This orientation, then a further turn by angle degrees counter-clockwise (a multiple of 90).
  Orientation thenTurn(int counterClockwiseAngle) const;
};

// The raster as seen: mirrored, then turned. Upright input is returned as it came.
Raster TurnRaster(Raster picture, Orientation orientation);
Bitmap24 TurnBitmap(Bitmap24 picture, Orientation orientation);
// A plane of one byte per pixel (an alpha plane), row after row without padding.
std::vector<std::uint8_t> TurnPlane(std::vector<std::uint8_t> plane, int width, int height,
                                    Orientation orientation);

}  // namespace pixtrel
