#include "core/Bitmap24.h"

#include <cstring>

#include "core/Limits.h"

namespace pixtrel {

Bitmap24::Bitmap24(int width, int height, NoFill) {
  CheckPictureSize(width, height);
  width_ = width;
  height_ = height;
  stride_ = StrideFor(width);
  if (byteSize() > 0) pixels_.reset(new std::uint8_t[byteSize()]);
}

Bitmap24::Bitmap24(int width, int height, std::uint8_t fill) : Bitmap24(width, height, NoFill{}) {
  if (pixels_) std::memset(pixels_.get(), fill, byteSize());
}

Bitmap24 Bitmap24::Uninitialised(int width, int height) {
  return Bitmap24(width, height, NoFill{});
}

Bitmap24::Bitmap24(const Bitmap24& other) : Bitmap24(other.width_, other.height_, NoFill{}) {
  if (pixels_) std::memcpy(pixels_.get(), other.pixels_.get(), byteSize());
}

Bitmap24& Bitmap24::operator=(const Bitmap24& other) {
  if (this != &other) *this = Bitmap24(other);
  return *this;
}

bool SamePixels(const Bitmap24& a, const Bitmap24& b) {
  if (a.width() != b.width() || a.height() != b.height()) return false;
  const std::size_t rowBytes = static_cast<std::size_t>(a.width()) * 3;
  for (int y = 0; y < a.height(); ++y) {
    if (rowBytes && std::memcmp(a.row(y), b.row(y), rowBytes) != 0) return false;
  }
  return true;
}

}  // namespace pixtrel
