#include "operations/FitToSize.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "core/Errors.h"

namespace pixtrel {

int ScaledSide(int side, double scale) {
  return std::max(1, static_cast<int>(std::lround(side * scale)));
}

FittedOutput EncodeWithin(std::int64_t maxBytes, int quality, int width, int height,
                          const std::function<Bytes(int quality, double scale)>& encode) {
  const auto fits = [&](const Bytes& bytes) {
    return static_cast<std::int64_t>(bytes.size()) <= maxBytes;
  };
  quality = std::clamp(quality, kLowestFitQuality, 100);
  FittedOutput best{encode(quality, 1.0), quality, 1.0};
  if (fits(best.bytes)) return best;
  // The highest fitting quality in [lo, hi]; what is known: quality hi + 1 does not fit.
  int lo = kLowestFitQuality, hi = quality - 1;
  bool found = false;
  while (lo <= hi) {
    const int middle = lo + (hi - lo + 1) / 2;
    Bytes bytes = encode(middle, 1.0);
    if (fits(bytes)) {
      best = {std::move(bytes), middle, 1.0};
      found = true;
      lo = middle + 1;
    } else {
      hi = middle - 1;
    }
  }
  if (found) return best;
  // Not even the lowest quality: smaller pictures at that quality.
  for (double scale = 0.9;; scale *= 0.9) {
    Bytes bytes = encode(kLowestFitQuality, scale);
    if (fits(bytes)) return {std::move(bytes), kLowestFitQuality, scale};
    if (ScaledSide(width, scale) == 1 && ScaledSide(height, scale) == 1)
      throw Exception("Cannot fit in " + std::to_string(maxBytes) + " bytes");
  }
}

}  // namespace pixtrel
