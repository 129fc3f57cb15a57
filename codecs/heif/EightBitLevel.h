#pragma once
// HEIF samples of 8 to 16 bits brought to the 8 bits a picture holds here.
#include <cstdint>

namespace pixtrel {

// A sample of `bits` (8 to 16) bits as an 8-bit level, rounded to the nearest: full range maps
// 0..2^bits-1 onto 0..255; limited range maps 16..235 (scaled to the depth) onto 0..255, with
// values outside clamped.
std::uint8_t EightBitLevel(unsigned value, int bits, bool limitedRange);

}  // namespace pixtrel
