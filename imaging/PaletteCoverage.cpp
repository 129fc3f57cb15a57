#include "imaging/PaletteCoverage.h"

#include <algorithm>

namespace pixtrel {

void CoverIndicesWithTable(PaletteBitmap& raster) {
  if (raster.empty()) return;
  const std::uint8_t highest =
      *std::max_element(raster.data(), raster.data() + raster.pixelCount());
  std::vector<Rgb>& table = raster.palette();
  if (table.size() <= highest) table.resize(highest + 1u, Rgb{0, 0, 0});
}

}  // namespace pixtrel
