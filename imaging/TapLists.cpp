#include "imaging/TapLists.h"

#include <cmath>
#include <new>

#include "core/Errors.h"

namespace pixtrel {
namespace {

// More taps than this for one direction can only come from a nonsensical support (the filters of
// the table need at most about 800 000 for the largest pictures).
constexpr double kMaxTaps = double(1 << 24);

}  // namespace

float ScaleFactor(int sourceLength, int targetLength) {
  // A single target pixel from a longer source would give 0 by the general rule; it stands for
  // the whole source instead, like the single source pixel of the S = 1 rule.
  if (sourceLength == 1 || targetLength == 1) {
    return static_cast<float>(static_cast<double>(targetLength) / sourceLength);
  }
  return static_cast<float>(static_cast<double>(targetLength - 1) / (sourceLength - 1));
}

std::int32_t ReflectIndex(std::int64_t j, int length) {
  if (j >= 0 && j < length) return static_cast<std::int32_t>(j);
  // The mirrors at 0 and at length - 1/2 repeat the line with period 2 * length - 1.
  const std::int64_t period = 2 * static_cast<std::int64_t>(length) - 1;
  std::int64_t m = j % period;
  if (m < 0) m += period;
  return static_cast<std::int32_t>(m < length ? m : period - m);
}

void CheckSupport(float support) {
  if (!std::isfinite(support) || support < 0.0f) {
    throw Exception("Invalid floating point operation");
  }
}

TapLists::TapLists(int sourceLength, int targetLength, FilterFunction filter, float support) {
  CheckSupport(support);
  const float scale = ScaleFactor(sourceLength, targetLength);
  const bool shrinking = scale < 1.0f;
  const float width =
      shrinking ? static_cast<float>(static_cast<double>(support) / scale) : support;
  const float fscale = shrinking ? static_cast<float>(1.0 / scale) : 1.0f;
  // One target pixel sits on the middle of the source rather than on its first pixel.
  const bool single = targetLength == 1 && sourceLength > 1;

  const double candidates = 2.0 * width + 3.0;
  if (!(candidates * targetLength <= kMaxTaps)) throw std::bad_alloc();
  taps_.reserve(static_cast<std::size_t>(candidates * targetLength));
  start_.reserve(static_cast<std::size_t>(targetLength) + 1);
  start_.push_back(0);

  for (int i = 0; i < targetLength; ++i) {
    const float centre = single ? static_cast<float>((sourceLength - 1) / 2.0)
                                : static_cast<float>(static_cast<double>(i) / scale);
    const auto left = static_cast<std::int64_t>(std::floor(static_cast<double>(centre) - width));
    const auto right = static_cast<std::int64_t>(std::ceil(static_cast<double>(centre) + width));
    for (std::int64_t j = left; j <= right; ++j) {
      const double distance = static_cast<double>(centre) - static_cast<double>(j);
      float weight;
      if (shrinking) {
        const float x = static_cast<float>(distance / fscale);
        weight = static_cast<float>(static_cast<double>(filter(x)) / fscale);
      } else {
        weight = filter(static_cast<float>(distance));
      }
      if (weight == 0.0f) continue;
      taps_.push_back({ReflectIndex(j, sourceLength), weight});
    }
    start_.push_back(taps_.size());
  }
}

}  // namespace pixtrel
