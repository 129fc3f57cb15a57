#include "codecs/heif/EightBitLevel.h"

#include <algorithm>

namespace pixtrel {

std::uint8_t EightBitLevel(unsigned value, int bits, bool limitedRange) {
  const unsigned max = (1u << bits) - 1;
  if (!limitedRange) {
    if (bits == 8) return static_cast<std::uint8_t>(value);
    value = std::min(value, max);
    return static_cast<std::uint8_t>((value * 255 + max / 2) / max);
  }
  const unsigned scale = 1u << (bits - 8);
  const unsigned black = 16 * scale, span = 219 * scale;
  if (value <= black) return 0;
  if (value >= black + span) return 255;
  return static_cast<std::uint8_t>(((value - black) * 255 + span / 2) / span);
}

}  // namespace pixtrel
