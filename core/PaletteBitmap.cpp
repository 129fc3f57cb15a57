#include "core/PaletteBitmap.h"

#include <array>
#include <cstring>

#include "core/Errors.h"
#include "core/Limits.h"

namespace pixtrel {

PaletteBitmap::PaletteBitmap(int width, int height, int bitsPerPixel, std::vector<Rgb> palette)
    : bitsPerPixel_(bitsPerPixel), palette_(std::move(palette)) {
  CheckPictureSize(width, height);
  if (bitsPerPixel != 1 && bitsPerPixel != 4 && bitsPerPixel != 8) {
    throw EBitmapError("Invalid pixel format");
  }
  if (palette_.size() > 256) palette_.resize(256);
  width_ = width;
  height_ = height;
  if (pixelCount() > 0) {
    indices_.reset(new std::uint8_t[pixelCount()]);
    std::memset(indices_.get(), 0, pixelCount());
  }
}

PaletteBitmap::PaletteBitmap(const PaletteBitmap& other)
    : width_(other.width_),
      height_(other.height_),
      bitsPerPixel_(other.bitsPerPixel_),
      palette_(other.palette_) {
  if (pixelCount() > 0) {
    indices_.reset(new std::uint8_t[pixelCount()]);
    std::memcpy(indices_.get(), other.indices_.get(), pixelCount());
  }
}

PaletteBitmap& PaletteBitmap::operator=(const PaletteBitmap& other) {
  if (this != &other) *this = PaletteBitmap(other);
  return *this;
}

BgrLookup BgrLookupOf(const std::vector<Rgb>& table) {
  BgrLookup bgr{};
  for (std::size_t i = 0; i < table.size() && i < 256; ++i) {
    bgr[i * 3 + 0] = table[i].b;
    bgr[i * 3 + 1] = table[i].g;
    bgr[i * 3 + 2] = table[i].r;
  }
  return bgr;
}

Bitmap24 ExpandToBitmap24(const PaletteBitmap& source) {
  const BgrLookup bgr = BgrLookupOf(source.palette());
  Bitmap24 out = Bitmap24::Uninitialised(source.width(), source.height());
  for (int y = 0; y < source.height(); ++y) {
    const std::uint8_t* in = source.row(y);
    std::uint8_t* px = out.row(y);
    for (int x = 0; x < source.width(); ++x, px += 3) {
      const std::uint8_t* c = &bgr[in[x] * 3];
      px[0] = c[0];
      px[1] = c[1];
      px[2] = c[2];
    }
  }
  return out;
}

}  // namespace pixtrel
