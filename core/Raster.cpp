#include "core/Raster.h"

namespace pixtrel {

int RasterWidth(const Raster& raster) {
  return std::visit([](const auto& r) { return r.width(); }, raster);
}

int RasterHeight(const Raster& raster) {
  return std::visit([](const auto& r) { return r.height(); }, raster);
}

bool RasterEmpty(const Raster& raster) {
  return std::visit([](const auto& r) { return r.empty(); }, raster);
}

Bitmap24 ToBitmap24(const Raster& raster) {
  if (const auto* b = std::get_if<Bitmap24>(&raster)) return *b;
  return ExpandToBitmap24(std::get<PaletteBitmap>(raster));
}

Bitmap24 ToBitmap24(Raster&& raster) {
  if (auto* b = std::get_if<Bitmap24>(&raster)) return std::move(*b);
  return ExpandToBitmap24(std::get<PaletteBitmap>(raster));
}

}  // namespace pixtrel
