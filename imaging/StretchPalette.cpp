#include "imaging/StretchPalette.h"

#include <vector>

#include "core/FastStretch.h"

namespace pixtrel {

PaletteBitmap StretchPalette(const PaletteBitmap& source, int width, int height) {
  PaletteBitmap result(width, height, source.bitsPerPixel(), source.palette());
  if (result.empty() || source.empty()) return result;
  std::vector<int> columns(static_cast<std::size_t>(width));
  for (int x = 0; x < width; ++x)
    columns[x] = StretchSourceIndex(x, source.width(), width);
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* in = source.row(StretchSourceIndex(y, source.height(), height));
    std::uint8_t* out = result.row(y);
    for (int x = 0; x < width; ++x)
      out[x] = in[columns[x]];
  }
  return result;
}

}  // namespace pixtrel
