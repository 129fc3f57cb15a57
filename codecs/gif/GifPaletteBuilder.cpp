#include "codecs/gif/GifPaletteBuilder.h"

#include <algorithm>
#include <array>
#include <unordered_set>

namespace pixtrel {
namespace {

// The histogram's cells: 5 bits of each channel.
constexpr int kCellBits = 5;
constexpr int kCells = 1 << (3 * kCellBits);
constexpr int kKMeansRounds = 6;

int CellOf(int red, int green, int blue) {
  constexpr int shift = 8 - kCellBits;
  return ((red >> shift) << (2 * kCellBits)) | ((green >> shift) << kCellBits) | (blue >> shift);
}

// A cell that holds pixels: how many, and the sums of their channels.
struct Cell {
  std::uint64_t count = 0;
  std::array<std::uint64_t, 3> sum{};
  std::array<double, 3> mean{};
};

// A box of cells [begin, end) in the cell list, with its totals.
struct Box {
  std::size_t begin = 0;
  std::size_t end = 0;
  double count = 0;
  std::array<double, 3> sum{};
  double squares = 0;  // sum over cells of count * |mean|^2
  double error() const {
    if (count <= 0) return 0;
    const double norm = sum[0] * sum[0] + sum[1] * sum[1] + sum[2] * sum[2];
    return squares - norm / count;
  }
};

template <typename Visit>
void ForEachCountedPixel(const Bitmap24& picture, const std::vector<std::uint8_t>* mask,
                         Visit visit) {
  const int width = picture.width();
  for (int y = 0; y < picture.height(); ++y) {
    const std::uint8_t* p = picture.row(y);
    const std::uint8_t* m = mask ? mask->data() + static_cast<std::size_t>(y) * width : nullptr;
    for (int x = 0; x < width; ++x, p += 3) {
      if (m && !m[x]) continue;
      visit(p[2], p[1], p[0]);
    }
  }
}

// The distinct colours, or nothing when there are more than limit.
bool ExactColours(const Bitmap24& picture, const std::vector<std::uint8_t>* mask, int limit,
                  std::vector<Rgb>& colours) {
  std::unordered_set<std::uint32_t> seen;
  bool within = true;
  std::uint32_t last = 0xFFFFFFFFu;
  ForEachCountedPixel(picture, mask, [&](int r, int g, int b) {
    if (!within) return;
    const std::uint32_t rgb = (static_cast<std::uint32_t>(r) << 16) | (g << 8) | b;
    if (rgb == last) return;
    last = rgb;
    seen.insert(rgb);
    if (static_cast<int>(seen.size()) > limit) within = false;
  });
  if (!within) return false;
  std::vector<std::uint32_t> sorted(seen.begin(), seen.end());
  std::sort(sorted.begin(), sorted.end());
  colours.clear();
  for (const std::uint32_t rgb : sorted) {
    colours.push_back(Rgb{static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8),
                          static_cast<std::uint8_t>(rgb)});
  }
  return true;
}

Box Measure(const std::vector<Cell>& cells, std::size_t begin, std::size_t end) {
  Box box{begin, end};
  for (std::size_t i = begin; i < end; ++i) {
    const Cell& c = cells[i];
    box.count += static_cast<double>(c.count);
    for (int k = 0; k < 3; ++k)
      box.sum[k] += static_cast<double>(c.sum[k]);
    box.squares += static_cast<double>(c.count) *
                   (c.mean[0] * c.mean[0] + c.mean[1] * c.mean[1] + c.mean[2] * c.mean[2]);
  }
  return box;
}

// Splits the box along the channel whose values spread most, at the point where the two halves'
// squared errors add up to the least. False when it holds a single cell.
bool Split(std::vector<Cell>& cells, const Box& box, Box& low, Box& high) {
  if (box.end - box.begin < 2) return false;
  std::array<double, 3> spread{};
  for (int k = 0; k < 3; ++k) {
    double squares = 0;
    for (std::size_t i = box.begin; i < box.end; ++i) {
      squares += static_cast<double>(cells[i].count) * cells[i].mean[k] * cells[i].mean[k];
    }
    spread[k] = squares - box.sum[k] * box.sum[k] / box.count;
  }
  const int axis =
      static_cast<int>(std::max_element(spread.begin(), spread.end()) - spread.begin());
  // Ties broken by the other channels, so the order (and the cut) never depends on the sort.
  std::sort(cells.begin() + static_cast<std::ptrdiff_t>(box.begin),
            cells.begin() + static_cast<std::ptrdiff_t>(box.end),
            [axis](const Cell& a, const Cell& b) {
              if (a.mean[axis] != b.mean[axis]) return a.mean[axis] < b.mean[axis];
              return a.mean < b.mean;
            });
  Box left{box.begin, box.begin};
  double best = -1;
  std::size_t cut = box.begin + 1;
  for (std::size_t i = box.begin; i + 1 < box.end; ++i) {
    const Cell& c = cells[i];
    left.end = i + 1;
    left.count += static_cast<double>(c.count);
    for (int k = 0; k < 3; ++k)
      left.sum[k] += static_cast<double>(c.sum[k]);
    left.squares += static_cast<double>(c.count) *
                    (c.mean[0] * c.mean[0] + c.mean[1] * c.mean[1] + c.mean[2] * c.mean[2]);
    Box right{i + 1, box.end, box.count - left.count};
    for (int k = 0; k < 3; ++k)
      right.sum[k] = box.sum[k] - left.sum[k];
    right.squares = box.squares - left.squares;
    const double total = left.error() + right.error();
    if (best < 0 || total < best) {
      best = total;
      cut = i + 1;
    }
  }
  low = Measure(cells, box.begin, cut);
  high = Measure(cells, cut, box.end);
  return true;
}

double Distance(const std::array<double, 3>& a, const std::array<double, 3>& b) {
  const double d0 = a[0] - b[0], d1 = a[1] - b[1], d2 = a[2] - b[2];
  return d0 * d0 + d1 * d1 + d2 * d2;
}

// Lloyd's rounds over the cells: each cell to its nearest entry, each entry to the mean of its
// cells' pixels (an entry no cell chose stays).
void Refine(const std::vector<Cell>& cells, std::vector<std::array<double, 3>>& entries) {
  for (int round = 0; round < kKMeansRounds; ++round) {
    std::vector<std::array<double, 4>> totals(entries.size(), {0, 0, 0, 0});
    for (const Cell& c : cells) {
      std::size_t nearest = 0;
      double best = Distance(c.mean, entries[0]);
      for (std::size_t e = 1; e < entries.size(); ++e) {
        const double d = Distance(c.mean, entries[e]);
        if (d < best) {
          best = d;
          nearest = e;
        }
      }
      std::array<double, 4>& t = totals[nearest];
      for (int k = 0; k < 3; ++k)
        t[k] += static_cast<double>(c.sum[k]);
      t[3] += static_cast<double>(c.count);
    }
    for (std::size_t e = 0; e < entries.size(); ++e) {
      if (totals[e][3] > 0) {
        for (int k = 0; k < 3; ++k)
          entries[e][k] = totals[e][k] / totals[e][3];
      }
    }
  }
}

std::uint8_t Level(double value) {
  return static_cast<std::uint8_t>(std::clamp(static_cast<int>(value + 0.5), 0, 255));
}

}  // namespace

std::vector<Rgb> BuildPalette(const Bitmap24& picture, const std::vector<std::uint8_t>* mask,
                              int maxColours) {
  maxColours = std::clamp(maxColours, 1, 256);
  std::vector<Rgb> palette;
  if (ExactColours(picture, mask, maxColours, palette)) return palette;

  std::vector<Cell> histogram(kCells);
  ForEachCountedPixel(picture, mask, [&](int r, int g, int b) {
    Cell& c = histogram[CellOf(r, g, b)];
    ++c.count;
    c.sum[0] += r;
    c.sum[1] += g;
    c.sum[2] += b;
  });
  std::vector<Cell> cells;
  for (Cell& c : histogram) {
    if (c.count == 0) continue;
    for (int k = 0; k < 3; ++k)
      c.mean[k] = static_cast<double>(c.sum[k]) / static_cast<double>(c.count);
    cells.push_back(c);
  }

  std::vector<Box> boxes{Measure(cells, 0, cells.size())};
  while (static_cast<int>(boxes.size()) < maxColours) {
    std::size_t worst = boxes.size();
    for (std::size_t i = 0; i < boxes.size(); ++i) {
      if (boxes[i].end - boxes[i].begin < 2) continue;
      if (worst == boxes.size() || boxes[i].error() > boxes[worst].error()) worst = i;
    }
    if (worst == boxes.size()) break;  // every box is a single cell
    Box low, high;
    if (!Split(cells, boxes[worst], low, high)) break;
    boxes[worst] = low;
    boxes.push_back(high);
  }

  std::vector<std::array<double, 3>> entries;
  for (const Box& box : boxes) {
    entries.push_back({box.sum[0] / box.count, box.sum[1] / box.count, box.sum[2] / box.count});
  }
  Refine(cells, entries);
  for (const auto& e : entries)
    palette.push_back(Rgb{Level(e[0]), Level(e[1]), Level(e[2])});
  return palette;
}

}  // namespace pixtrel
