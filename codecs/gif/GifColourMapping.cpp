#include "codecs/gif/GifColourMapping.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace pixtrel {
namespace {

constexpr int kCellBits = 5;
constexpr int kCellSide = 1 << (8 - kCellBits);  // colour values per cell and channel
constexpr int kCells = 1 << (3 * kCellBits);

int CellOf(int red, int green, int blue) {
  constexpr int shift = 8 - kCellBits;
  return ((red >> shift) << (2 * kCellBits)) | ((green >> shift) << kCellBits) | (blue >> shift);
}

int Squared(int v) {
  return v * v;
}

// The least and greatest distance from value to the values [low, low + kCellSide).
int Nearest(int value, int low) {
  const int high = low + kCellSide - 1;
  return value < low ? low - value : value > high ? value - high : 0;
}
int Farthest(int value, int low) {
  const int high = low + kCellSide - 1;
  return std::max(std::abs(value - low), std::abs(value - high));
}

}  // namespace

NearestColour::NearestColour(std::vector<Rgb> table)
    : table_(std::move(table)), first_(kCells, -1), count_(kCells, 0) {}

void NearestColour::Prepare(int cell) {
  const int red = (cell >> (2 * kCellBits)) * kCellSide;
  const int green = ((cell >> kCellBits) & ((1 << kCellBits) - 1)) * kCellSide;
  const int blue = (cell & ((1 << kCellBits) - 1)) * kCellSide;
  // No colour of the cell is farther than bound from the entry that is farthest from it least,
  // so an entry whose nearest point is beyond bound is never the nearest.
  int bound = std::numeric_limits<int>::max();
  for (const Rgb& c : table_) {
    bound = std::min(bound, Squared(Farthest(c.r, red)) + Squared(Farthest(c.g, green)) +
                                Squared(Farthest(c.b, blue)));
  }
  first_[cell] = static_cast<std::int32_t>(candidates_.size());
  for (std::size_t i = 0; i < table_.size(); ++i) {
    const Rgb& c = table_[i];
    const int least =
        Squared(Nearest(c.r, red)) + Squared(Nearest(c.g, green)) + Squared(Nearest(c.b, blue));
    if (least <= bound) candidates_.push_back(static_cast<std::uint8_t>(i));
  }
  count_[cell] = static_cast<std::uint16_t>(candidates_.size() - first_[cell]);
}

std::uint8_t NearestColour::operator()(int red, int green, int blue) {
  const int cell = CellOf(red, green, blue);
  if (first_[cell] < 0) Prepare(cell);
  const std::uint8_t* index = candidates_.data() + first_[cell];
  std::uint8_t best = index[0];
  int bestDistance = std::numeric_limits<int>::max();
  for (int i = 0; i < count_[cell]; ++i) {
    const Rgb& c = table_[index[i]];
    const int d = Squared(c.r - red) + Squared(c.g - green) + Squared(c.b - blue);
    if (d < bestDistance) {  // candidates are in table order: a tie keeps the lower index
      bestDistance = d;
      best = index[i];
    }
  }
  return best;
}

void MapToTable(const Bitmap24& picture, const std::vector<std::uint8_t>* mask,
                const std::vector<Rgb>& table, int skipIndex, bool dither, std::uint8_t* out) {
  const int width = picture.width(), height = picture.height();
  if (table.empty()) {
    std::fill(out, out + static_cast<std::size_t>(width) * height,
              static_cast<std::uint8_t>(std::max(skipIndex, 0)));
    return;
  }
  NearestColour nearest(table);
  auto counted = [&](int x, int y) {
    return !mask || (*mask)[static_cast<std::size_t>(y) * width + x] != 0;
  };
  if (!dither) {
    for (int y = 0; y < height; ++y) {
      const std::uint8_t* p = picture.row(y);
      std::uint8_t* o = out + static_cast<std::size_t>(y) * width;
      for (int x = 0; x < width; ++x, p += 3) {
        o[x] = counted(x, y) ? nearest(p[2], p[1], p[0]) : static_cast<std::uint8_t>(skipIndex);
      }
    }
    return;
  }
  // Errors in sixteenths, per channel, for this row and the next, with a pixel of margin on
  // each side.
  std::vector<int> here(static_cast<std::size_t>(width + 2) * 3, 0);
  std::vector<int> next(here.size(), 0);
  for (int y = 0; y < height; ++y) {
    const bool forward = y % 2 == 0;
    const int step = forward ? 1 : -1;
    std::fill(next.begin(), next.end(), 0);
    const std::uint8_t* row = picture.row(y);
    std::uint8_t* o = out + static_cast<std::size_t>(y) * width;
    for (int i = 0; i < width; ++i) {
      const int x = forward ? i : width - 1 - i;
      if (!counted(x, y)) {
        o[x] = static_cast<std::uint8_t>(skipIndex);
        continue;
      }
      const std::uint8_t* p = row + 3 * x;
      int* e = &here[static_cast<std::size_t>(x + 1) * 3];
      // Red, green, blue with the error carried here, rounded and kept in range.
      int wanted[3];
      for (int k = 0; k < 3; ++k) {
        const int value = p[2 - k] * 16 + e[k];
        wanted[k] = std::clamp((value + (value >= 0 ? 8 : -8)) / 16, 0, 255);
      }
      const std::uint8_t index = nearest(wanted[0], wanted[1], wanted[2]);
      o[x] = index;
      const Rgb& got = table[index];
      const int error[3] = {wanted[0] - got.r, wanted[1] - got.g, wanted[2] - got.b};
      for (int k = 0; k < 3; ++k) {
        here[static_cast<std::size_t>(x + 1 + step) * 3 + k] += error[k] * 7;
        next[static_cast<std::size_t>(x + 1 - step) * 3 + k] += error[k] * 3;
        next[static_cast<std::size_t>(x + 1) * 3 + k] += error[k] * 5;
        next[static_cast<std::size_t>(x + 1 + step) * 3 + k] += error[k];
      }
    }
    std::swap(here, next);
  }
}

}  // namespace pixtrel
