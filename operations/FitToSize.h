#pragma once
// A target file size: the highest quality whose output fits, and a smaller picture when even
// the lowest quality does not.
#include <cstdint>
#include <functional>

#include "core/Raster.h"
#include "io/FileBytes.h"

namespace pixtrel {

inline constexpr int kLowestFitQuality = 10;

struct FittedOutput {
  Bytes bytes;
  int quality = 0;     // the quality it was encoded at
  double scale = 1.0;  // its sides against the picture given (below 1: made smaller to fit)
};

// encode(quality, scale) encodes the picture at that quality with its sides times scale.
// First at `quality` (the highest tried); when that is too big, a search down to
// kLowestFitQuality finds the highest quality that fits, in at most 8 encodes in all (sizes
// grow with quality). When even the lowest does not fit, the sides shrink by 10 % a step, at
// the lowest quality, until it fits. Throws "Cannot fit in N bytes" when not even one pixel
// would (the metadata alone is larger).
FittedOutput EncodeWithin(std::int64_t maxBytes, int quality, int width, int height,
                          const std::function<Bytes(int quality, double scale)>& encode);

// The sides a scale gives, rounded, never below 1.
int ScaledSide(int side, double scale);

}  // namespace pixtrel
