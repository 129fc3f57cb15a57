#include "core/HeaderSides.h"

#include <cstdlib>

namespace pixtrel {

std::optional<PictureSize> HeaderSides(std::int64_t width, std::int64_t height) {
  width = std::llabs(width);
  height = std::llabs(height);
  if (width <= 0 || height <= 0 || width > INT32_MAX || height > INT32_MAX) return std::nullopt;
  return PictureSize{static_cast<int>(width), static_cast<int>(height)};
}

}  // namespace pixtrel
