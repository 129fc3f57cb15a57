#include "imaging/TargetSize.h"

#include <cmath>
#include <cstdint>
#include <string>

#include "core/Errors.h"
#include "core/Limits.h"

namespace pixtrel {

TargetSize ResizedSize(int width, int height, int n) {
  if (n < 1) {
    throw Exception("Invalid size " + std::to_string(n) +
                    ": the longer side must be at least 1 pixel");
  }
  const int longer = width < height ? height : width;
  if (longer <= 0) throw Exception("Floating point division by zero");
  const double factor = static_cast<double>(n) / longer;
  // nearbyint rounds in the default mode: to nearest, ties to even.
  const double w = std::nearbyint(width * factor);
  const double h = std::nearbyint(height * factor);
  CheckPictureSize(static_cast<std::int64_t>(w), static_cast<std::int64_t>(h));
  return TargetSize{w < 1 ? 1 : static_cast<int>(w), h < 1 ? 1 : static_cast<int>(h)};
}

}  // namespace pixtrel
