#include "imaging/RotatePalette.h"

#include <cstddef>

#include "imaging/Rotate90.h"

namespace pixtrel {

PaletteBitmap RotatePalette(int angle, const PaletteBitmap& source) {
  const int quarter = QuarterTurns(angle);  // refuses a bad angle before allocating
  const int w = source.width();
  const int h = source.height();
  const bool swapped = quarter % 2 != 0;
  PaletteBitmap result(swapped ? h : w, swapped ? w : h, source.bitsPerPixel(), source.palette());
  if (source.empty()) return result;
  // The same places as Rotate90: source (x, y) goes to the column and row of its quarter.
  for (int y = 0; y < h; ++y) {
    const std::uint8_t* in = source.row(y);
    for (int x = 0; x < w; ++x) {
      int column = x, row = y;
      switch (quarter) {
        case 1:
          column = y;
          row = w - 1 - x;
          break;
        case 2:
          column = w - 1 - x;
          row = h - 1 - y;
          break;
        case 3:
          column = h - 1 - y;
          row = x;
          break;
        default:
          break;
      }
      result.row(row)[column] = in[x];
    }
  }
  return result;
}

}  // namespace pixtrel
