#include "codecs/gif/NetscapePalette.h"

#include <algorithm>

#include "concurrency/ParallelFor.h"

namespace pixtrel {
namespace {

// Per channel, the channel's share of the index: a pixel's index is the sum of three lookups.
struct ChannelTables {
  std::array<std::uint8_t, 256> red{}, green{}, blue{};
  ChannelTables() {
    for (int c = 0; c < 256; ++c) {
      red[c] = static_cast<std::uint8_t>(36 * NetscapeLevel(c));
      green[c] = static_cast<std::uint8_t>(6 * NetscapeLevel(c));
      blue[c] = static_cast<std::uint8_t>(NetscapeLevel(c));
    }
  }
};

void ReduceRows(const Bitmap24& source, std::uint8_t* out, int y0, int y1) {
  static const ChannelTables tables;
  const int width = source.width();
  for (int y = y0; y < y1; ++y) {
    const std::uint8_t* p = source.row(y);
    std::uint8_t* o = out + static_cast<std::size_t>(y) * width;
    for (int x = 0; x < width; ++x, p += 3) {
      o[x] = static_cast<std::uint8_t>(tables.blue[p[0]] + tables.green[p[1]] + tables.red[p[2]]);
    }
  }
}

}  // namespace

const std::array<Rgb, kNetscapeColors>& NetscapePalette() {
  static const std::array<Rgb, kNetscapeColors> palette = [] {
    std::array<Rgb, kNetscapeColors> p{};
    for (int i = 0; i < kNetscapeColors; ++i) {
      p[i] =
          Rgb{static_cast<std::uint8_t>(51 * (i / 36)), static_cast<std::uint8_t>(51 * (i / 6 % 6)),
              static_cast<std::uint8_t>(51 * (i % 6))};
    }
    return p;
  }();
  return palette;
}

void ReduceToNetscape(const Bitmap24& source, std::uint8_t* out) {
  // Every pixel is mapped on its own, so splitting the rows between threads changes nothing.
  const std::size_t pixels = static_cast<std::size_t>(source.width()) * source.height();
  const int h = source.height();
  if (pixels < (std::size_t{1} << 20) || h < 2) {
    ReduceRows(source, out, 0, h);
    return;
  }
  // Parts of at least a quarter million pixels, on the threads the batch allows.
  const int minRows = static_cast<int>(
      std::max<std::size_t>(1, (std::size_t{1} << 18) / std::max(source.width(), 1)));
  ParallelFor(h, 1, minRows, [&](int y0, int y1) { ReduceRows(source, out, y0, y1); });
}

}  // namespace pixtrel
