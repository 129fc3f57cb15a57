#pragma once
// A 24-bit raster: row 0 at the top, three bytes per pixel in blue, green, red order,
// rows padded to a multiple of four bytes. Walk a column by adding stride().
#include <cstddef>
#include <cstdint>
#include <memory>

namespace pixtrel {

class Bitmap24 {
 public:
  Bitmap24() = default;
  // A raster of the given size with every byte set to fill (255: white).
  Bitmap24(int width, int height, std::uint8_t fill = 255);
  // A raster whose bytes are left uninitialised, for callers that overwrite every pixel.
  static Bitmap24 Uninitialised(int width, int height);

  Bitmap24(const Bitmap24& other);
  Bitmap24& operator=(const Bitmap24& other);
  Bitmap24(Bitmap24&&) noexcept = default;
  Bitmap24& operator=(Bitmap24&&) noexcept = default;

  int width() const { return width_; }
  int height() const { return height_; }
  std::size_t stride() const { return stride_; }
  bool empty() const { return width_ == 0 || height_ == 0; }

  std::uint8_t* row(int y) { return pixels_.get() + static_cast<std::size_t>(y) * stride_; }
  const std::uint8_t* row(int y) const {
    return pixels_.get() + static_cast<std::size_t>(y) * stride_;
  }
  std::uint8_t* data() { return pixels_.get(); }
  const std::uint8_t* data() const { return pixels_.get(); }
  std::size_t byteSize() const { return stride_ * static_cast<std::size_t>(height_); }

  static std::size_t StrideFor(int width) {
    return (static_cast<std::size_t>(width) * 3 + 3) & ~static_cast<std::size_t>(3);
  }

 private:
  struct NoFill {};
  Bitmap24(int width, int height, NoFill);

  int width_ = 0;
  int height_ = 0;
  std::size_t stride_ = 0;
  std::unique_ptr<std::uint8_t[]> pixels_;
};

// Pixel equality, ignoring the padding bytes at the row ends.
bool SamePixels(const Bitmap24& a, const Bitmap24& b);

}  // namespace pixtrel
