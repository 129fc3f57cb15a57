// Fuzz target: the GIF reader, drawing the first frame (at its own size and shrunk), and taking
// it as one raster.
#include <cstddef>
#include <cstdint>

#include "codecs/gif/GifCodec.h"
#include "core/Errors.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    const pixtrel::TGIFImage picture = pixtrel::DecodeGif({data, size});
    const int w = picture.width(), h = picture.height();
    // Large screens are legal but slow to fill; the readers' limits are tested elsewhere.
    if (static_cast<long long>(w) * h > (1 << 22)) return 0;
    pixtrel::Bitmap24 small(17, 11);
    pixtrel::DrawGifFrame(picture, small, pixtrel::Rect{-3, 2, 15, 10});
    pixtrel::Bitmap24 whole(w, h);
    pixtrel::DrawGifFrame(picture, whole, pixtrel::Rect{0, 0, w, h});
    (void)pixtrel::ToBitmap24(pixtrel::GifFrameRaster(picture));
  } catch (const pixtrel::Exception&) {
  }
  return 0;
}
