#pragma once
// Libraries that decode with alpha hand out BGRA rows; a picture here holds BGR colours and a
// separate alpha plane.
#include <cstdint>

namespace pixtrel {

// One row of `width` BGRA pixels into `colours` (BGR) and `alpha`.
inline void SplitBgraRow(const std::uint8_t* bgra, int width, std::uint8_t* colours,
                         std::uint8_t* alpha) noexcept {
  for (int x = 0; x < width; ++x, bgra += 4, colours += 3) {
    colours[0] = bgra[0];
    colours[1] = bgra[1];
    colours[2] = bgra[2];
    alpha[x] = bgra[3];
  }
}

}  // namespace pixtrel
