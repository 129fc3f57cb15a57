#pragma once
// A raster of colour-table indices (1, 4 or 8 bits per pixel in the file it came from), held as
// one index byte per pixel, row 0 at the top, with its colour table of at most 256 colours.
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/Bitmap24.h"

namespace pixtrel {

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

class PaletteBitmap {
 public:
  PaletteBitmap() = default;
  // Indices start at 0. bitsPerPixel is 1, 4 or 8; the table may be shorter than 2^bits.
  PaletteBitmap(int width, int height, int bitsPerPixel, std::vector<Rgb> palette);

  PaletteBitmap(const PaletteBitmap& other);
  PaletteBitmap& operator=(const PaletteBitmap& other);
  PaletteBitmap(PaletteBitmap&&) noexcept = default;
  PaletteBitmap& operator=(PaletteBitmap&&) noexcept = default;

  int width() const { return width_; }
  int height() const { return height_; }
  int bitsPerPixel() const { return bitsPerPixel_; }
  bool empty() const { return width_ == 0 || height_ == 0; }
  const std::vector<Rgb>& palette() const { return palette_; }
  std::vector<Rgb>& palette() { return palette_; }

  std::uint8_t* row(int y) { return indices_.get() + static_cast<std::size_t>(y) * width_; }
  const std::uint8_t* row(int y) const {
    return indices_.get() + static_cast<std::size_t>(y) * width_;
  }
  std::uint8_t* data() { return indices_.get(); }
  const std::uint8_t* data() const { return indices_.get(); }
  std::size_t pixelCount() const {
    return static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
  }

 private:
  int width_ = 0;
  int height_ = 0;
  int bitsPerPixel_ = 8;
  std::vector<Rgb> palette_;
  std::unique_ptr<std::uint8_t[]> indices_;
};

// A colour table as blue, green, red bytes for all 256 indices, black beyond the table's end,
// so expanding a pixel is one lookup with no test.
using BgrLookup = std::array<std::uint8_t, 256 * 3>;
BgrLookup BgrLookupOf(const std::vector<Rgb>& table);

// Replaces every index by its table colour; an index beyond the table gives black.
Bitmap24 ExpandToBitmap24(const PaletteBitmap& source);

}  // namespace pixtrel
