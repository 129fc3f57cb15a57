#pragma once
// Samples deeper than 8 bits, kept beside a picture's 8-bit raster for the writers that can store
// more than 8 bits (AVIF and HEIC at 10 bits). Only a reader asked for them fills them (a 16-bit
// PNG today); every other step works on the 8-bit raster alone, so a writer uses them only while
// they still show the same picture as the raster (DeepSamplesMatch).
#include <cstdint>
#include <optional>
#include <vector>

#include "core/Raster.h"

namespace pixtrel {

struct DeepSamples {
  int width = 0;
  int height = 0;
  int channels = 3;  // red, green, blue, and alpha when 4
  // 16 bits per sample (0..65535), channels per pixel, rows without padding.
  std::vector<std::uint16_t> samples;
};

// The 8-bit value of a 16-bit sample: value / 257 rounded to the nearest, as libpng reduces them.
constexpr std::uint8_t EightBitSample(std::uint16_t value) {
  return static_cast<std::uint8_t>((value + 128u) / 257u);
}

// The 10-bit value of a 16-bit sample: value * 1023 / 65535 rounded to the nearest.
constexpr std::uint16_t TenBitSample(std::uint16_t value) {
  return static_cast<std::uint16_t>((value * 1023u + 32767u) / 65535u);
}

// The 8-bit picture of the samples: a Bitmap24, and the alpha plane when they have one.
struct EightBitPicture {
  Bitmap24 raster;
  std::optional<std::vector<std::uint8_t>> alpha;
};
EightBitPicture ReduceToEightBits(const DeepSamples& deep);

// True when the samples reduced to 8 bits are exactly the raster and alpha plane (present in both
// or in neither): nothing has turned, resized or recoloured the picture since they were read.
bool DeepSamplesMatch(const DeepSamples& deep, const Raster& raster,
                      const std::vector<std::uint8_t>* alpha);

}  // namespace pixtrel
