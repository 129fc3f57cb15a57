#include "codecs/gif/GifImage.h"

#include <cstring>

#include "core/Errors.h"

namespace pixtrel {

int TGIFColorMap::BitsPerPixel() const {
  if (colors.empty()) return 0;
  int bits = 1;
  while ((std::size_t{1} << bits) < colors.size())
    ++bits;
  return bits;
}

const TGIFGraphicControlExtension* TGIFSubImage::graphicControl() const {
  const TGIFGraphicControlExtension* found = nullptr;
  for (const TGIFExtension& e : extensions) {
    if (const auto* g = std::get_if<TGIFGraphicControlExtension>(&e)) found = g;
  }
  return found;
}

bool TGIFSubImage::transparent() const {
  const TGIFGraphicControlExtension* g = graphicControl();
  return g && g->transparent();
}

int TGIFSubImage::transparentIndex() const {
  return transparent() ? graphicControl()->transparentIndex : -1;
}

const TGIFColorMap& TGIFImage::ActiveColorMap(const TGIFSubImage& frame) const {
  return frame.colorMap.empty() ? header.colorMap : frame.colorMap;
}

PaletteBitmap FramePaletteBitmap(const TGIFImage& picture, const TGIFSubImage& frame) {
  const TGIFColorMap& table = picture.ActiveColorMap(frame);
  if (table.empty()) throw EGIFError("No global or local color table defined");
  PaletteBitmap bitmap(frame.width, frame.height, 8, table.colors);
  if (bitmap.pixelCount() > 0 && frame.pixels.size() >= bitmap.pixelCount()) {
    std::memcpy(bitmap.data(), frame.pixels.data(), bitmap.pixelCount());
  }
  return bitmap;
}

}  // namespace pixtrel
