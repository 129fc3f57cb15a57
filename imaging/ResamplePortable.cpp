#include "imaging/ResampleKernels.h"

namespace pixtrel {

void HorizontalPassPortable(const PixelRows& source, const PixelRows& intermediate, TapView taps,
                            int y0, int y1) {
  for (int y = y0; y < y1; ++y) {
    const std::uint8_t* in = source.row(y);
    std::uint8_t* out = intermediate.row(y);
    for (int x = 0; x < intermediate.width; ++x) {
      const Tap* list = taps.taps + taps.starts[x];
      const auto count = static_cast<std::int32_t>(taps.starts[x + 1] - taps.starts[x]);
      for (int c = 0; c < 3; ++c) {
        out[3 * static_cast<std::size_t>(x) + c] = ClampRoundToByte(TapSum(list, count, in + c, 3));
      }
    }
  }
}

void VerticalPassPortable(const PixelRows& intermediate, const PixelRows& target, TapView taps,
                          int y0, int y1) {
  const std::size_t rowBytes = 3 * static_cast<std::size_t>(target.width);
  for (int y = y0; y < y1; ++y) {
    const Tap* list = taps.taps + taps.starts[y];
    const auto count = static_cast<std::int32_t>(taps.starts[y + 1] - taps.starts[y]);
    std::uint8_t* out = target.row(y);
    for (std::size_t b = 0; b < rowBytes; ++b) {
      float sum = 0.0f;
      for (std::int32_t k = 0; k < count; ++k)
        sum = std::fma(static_cast<float>(intermediate.row(list[k].index)[b]), list[k].weight, sum);
      out[b] = ClampRoundToByte(sum);
    }
  }
}

}  // namespace pixtrel
