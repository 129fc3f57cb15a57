#include "codecs/gif/GifFramePalette.h"

#include <unordered_map>

namespace pixtrel {
namespace {

constexpr std::uint8_t kOpaqueFrom = 128;

std::uint32_t Key(const std::uint8_t* bgr) {
  return std::uint32_t{bgr[0]} | std::uint32_t{bgr[1]} << 8 | std::uint32_t{bgr[2]} << 16;
}

bool Transparent(const std::uint8_t* alpha, std::size_t i) {
  return alpha && alpha[i] < kOpaqueFrom;
}

// The table of the exact colours, or false when there are more than room.
bool ExactColours(const Bitmap24& pixels, const std::uint8_t* alpha, std::size_t room,
                  std::vector<Rgb>& table, std::unordered_map<std::uint32_t, std::uint8_t>& index) {
  const int width = pixels.width();
  for (int y = 0; y < pixels.height(); ++y) {
    const std::uint8_t* p = pixels.row(y);
    for (int x = 0; x < width; ++x, p += 3) {
      if (Transparent(alpha, static_cast<std::size_t>(y) * width + x)) continue;
      const auto [at, added] = index.try_emplace(Key(p), static_cast<std::uint8_t>(table.size()));
      if (!added) continue;
      if (table.size() == room) return false;
      table.push_back(Rgb{p[2], p[1], p[0]});
    }
  }
  return true;
}

// Grid levels: red and blue 0..5, green 0..6, each rounded to the nearest.
int Level(int value, int steps) {
  return (value * steps + 127) / 255;
}

std::vector<Rgb> GridTable() {
  std::vector<Rgb> table;
  table.reserve(252);
  for (int r = 0; r < 6; ++r) {
    for (int g = 0; g < 7; ++g) {
      for (int b = 0; b < 6; ++b) {
        table.push_back(Rgb{static_cast<std::uint8_t>(r * 51),
                            static_cast<std::uint8_t>((g * 255 + 3) / 6),
                            static_cast<std::uint8_t>(b * 51)});
      }
    }
  }
  return table;
}

}  // namespace

GifFrameColours BuildGifPalette(const Bitmap24& pixels, const std::uint8_t* alpha,
                                bool reserveTransparent) {
  const int width = pixels.width(), height = pixels.height();
  const std::size_t count = static_cast<std::size_t>(width) * height;
  bool withTransparent = reserveTransparent;
  for (std::size_t i = 0; alpha && i < count && !withTransparent; ++i)
    withTransparent = Transparent(alpha, i);

  std::vector<Rgb> table;
  std::unordered_map<std::uint32_t, std::uint8_t> index;
  const bool exact = ExactColours(pixels, alpha, withTransparent ? 255 : 256, table, index);
  if (!exact) table = GridTable();
  const int transparent = withTransparent ? static_cast<int>(table.size()) : -1;
  if (withTransparent) table.push_back(Rgb{0, 0, 0});

  GifFrameColours result;
  result.transparentIndex = transparent;
  result.indices = PaletteBitmap(width, height, 8, std::move(table));
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* p = pixels.row(y);
    std::uint8_t* out = result.indices.row(y);
    for (int x = 0; x < width; ++x, p += 3) {
      if (Transparent(alpha, static_cast<std::size_t>(y) * width + x)) {
        out[x] = static_cast<std::uint8_t>(transparent);
      } else if (exact) {
        out[x] = index.find(Key(p))->second;
      } else {
        out[x] =
            static_cast<std::uint8_t>(Level(p[2], 5) * 42 + Level(p[1], 6) * 6 + Level(p[0], 5));
      }
    }
  }
  return result;
}

}  // namespace pixtrel
