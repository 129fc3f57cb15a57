#include "codecs/gif/GifPicture.h"

#include "codecs/gif/GifRaster.h"
#include "codecs/gif/GifReader.h"

namespace pixtrel {

DecodedPicture DecodeGifPicture(std::span<const std::uint8_t> bytes) {
  const TGIFImage gif = DecodeGif(bytes);
  DecodedPicture picture;
  picture.raster = GifFrameRaster(gif);
  if (gif.images.empty()) return picture;
  const TGIFSubImage& frame = gif.images.front();
  const int transparent = frame.transparentIndex();
  if (transparent < 0 ||
      frame.pixels.size() != static_cast<std::size_t>(frame.width) * frame.height)
    return picture;
  const int width = RasterWidth(picture.raster), height = RasterHeight(picture.raster);
  std::vector<std::uint8_t> alpha(static_cast<std::size_t>(width) * height, 0);
  for (int y = 0; y < frame.height; ++y) {
    const int screenY = frame.top + y;
    if (screenY < 0 || screenY >= height) continue;
    for (int x = 0; x < frame.width; ++x) {
      const int screenX = frame.left + x;
      if (screenX < 0 || screenX >= width) continue;
      const bool clear = frame.pixels[static_cast<std::size_t>(y) * frame.width + x] == transparent;
      alpha[static_cast<std::size_t>(screenY) * width + screenX] = clear ? 0 : 255;
    }
  }
  picture.alpha = std::move(alpha);
  return picture;
}

}  // namespace pixtrel
