#include "imaging/Sharpen.h"

#include <algorithm>

#include "concurrency/ParallelFor.h"

namespace pixtrel {

Bitmap24 Sharpen(const Bitmap24& picture, int amount256) {
  const int width = picture.width(), height = picture.height();
  Bitmap24 out = Bitmap24::Uninitialised(width, height);
  ParallelFor(height, 1, 16, [&](int y0, int y1) {
    for (int y = y0; y < y1; ++y) {
      // Edges repeat their outermost pixels.
      const std::uint8_t* rows[3] = {picture.row(std::max(y - 1, 0)), picture.row(y),
                                     picture.row(std::min(y + 1, height - 1))};
      std::uint8_t* target = out.row(y);
      for (int x = 0; x < width; ++x) {
        const int xs[3] = {std::max(x - 1, 0), x, std::min(x + 1, width - 1)};
        for (int c = 0; c < 3; ++c) {
          // 1 2 1 / 2 4 2 / 1 2 1, over 16.
          int blur = 0;
          for (int j = 0; j < 3; ++j) {
            const int row =
                rows[j][3 * xs[0] + c] + 2 * rows[j][3 * xs[1] + c] + rows[j][3 * xs[2] + c];
            blur += j == 1 ? 2 * row : row;
          }
          const int centre = rows[1][3 * x + c];
          const int detail = centre * 16 - blur;  // in sixteenths
          const int value = centre + (detail * amount256 + (detail >= 0 ? 2048 : -2048)) / 4096;
          target[3 * x + c] = static_cast<std::uint8_t>(std::clamp(value, 0, 255));
        }
      }
    }
  });
  return out;
}

}  // namespace pixtrel
