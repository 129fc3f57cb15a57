#pragma once
// The fixed 216-colour palette that 24-bit rasters are reduced to when they become a GIF frame,
// and the per-channel reduction rule.
#include <array>
#include <cstdint>

#include "core/Bitmap24.h"
#include "core/PaletteBitmap.h"

namespace pixtrel {

inline constexpr int kNetscapeColors = 216;

// Entry 36 r + 6 g + b holds red 51 r, green 51 g, blue 51 b (r, g, b from 0 to 5).
const std::array<Rgb, kNetscapeColors>& NetscapePalette();

// The level of one channel value: (c + 3) div 51, so 0-47 give 0, 48-98 give 1 ... 252-255
// give 5. Not rounding to the nearest level.
constexpr int NetscapeLevel(int c) {
  return (c + 3) / 51;
}

constexpr int NetscapeIndex(int red, int green, int blue) {
  return 36 * NetscapeLevel(red) + 6 * NetscapeLevel(green) + NetscapeLevel(blue);
}

// Maps every pixel on its own (no dithering) and writes width x height indices, row by row,
// to out.
void ReduceToNetscape(const Bitmap24& source, std::uint8_t* out);

}  // namespace pixtrel
