#include "codecs/gif/GifRaster.h"

#include <algorithm>
#include <cstring>

#include "codecs/gif/GifDraw.h"
#include "codecs/gif/NetscapePalette.h"

namespace pixtrel {
namespace {

// Drops the frames and the global table; what SetGifRaster starts from.
TGIFSubImage& ClearToOneFrame(TGIFImage& picture) {
  picture.images.clear();
  picture.header.colorMap = TGIFColorMap{};
  picture.header.packedFields = 0;
  picture.header.width = 0;
  picture.header.height = 0;
  return picture.images.emplace_back();
}

void TakeSize(TGIFImage& picture, TGIFSubImage& frame, int width, int height) {
  frame.width = width;
  frame.height = height;
  picture.header.width = std::max(picture.header.width, frame.left + width);
  picture.header.height = std::max(picture.header.height, frame.top + height);
}

}  // namespace

Raster GifFrameRaster(const TGIFImage& picture) {
  if (picture.images.empty()) return Bitmap24();
  const TGIFSubImage& frame = picture.images.front();
  if (frame.left == 0 && frame.top == 0 && frame.width == picture.width() &&
      frame.height == picture.height()) {
    if (frame.empty())
      return PaletteBitmap(frame.width, frame.height, 8, picture.ActiveColorMap(frame).colors);
    return FramePaletteBitmap(picture, frame);
  }
  Bitmap24 screen(picture.width(), picture.height());
  DrawGifFrameOpaque(picture, screen);
  return screen;
}

void SetGifRaster(TGIFImage& picture, const Bitmap24& raster) {
  TGIFSubImage& frame = ClearToOneFrame(picture);
  if (raster.empty()) return;
  TakeSize(picture, frame, raster.width(), raster.height());
  frame.pixels.resize(static_cast<std::size_t>(raster.width()) * raster.height());
  ReduceToNetscape(raster, frame.pixels.data());
  const auto& netscape = NetscapePalette();
  frame.colorMap.colors.assign(netscape.begin(), netscape.end());
  frame.colorMap.colors.resize(256, Rgb{0, 0, 0});
}

void SetGifRaster(TGIFImage& picture, const PaletteBitmap& raster) {
  TGIFSubImage& frame = ClearToOneFrame(picture);
  if (raster.empty()) return;
  TakeSize(picture, frame, raster.width(), raster.height());
  frame.colorMap.colors = raster.palette();
  frame.pixels.assign(raster.data(), raster.data() + raster.pixelCount());
}

void SetGifTransparentIndex(TGIFImage& picture, int index) {
  if (index < 0 || picture.images.size() != 1) return;
  TGIFSubImage& frame = picture.images.front();
  if (frame.empty() || index >= frame.colorMap.count()) return;
  TGIFGraphicControlExtension control;
  control.packedFields = 1;  // no disposal, no user input, transparent colour given
  control.transparentIndex = static_cast<std::uint8_t>(index);
  frame.extensions.assign(1, control);
}

void SetGifRaster(TGIFImage& picture, const Raster& raster) {
  std::visit([&picture](const auto& r) { SetGifRaster(picture, r); }, raster);
}

}  // namespace pixtrel
