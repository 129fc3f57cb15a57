// Fuzz target: any of the three formats read (chosen by its first bytes), resampled to a small
// size, turned, and written as BMP, JPEG and GIF in memory.
#include <cstddef>
#include <cstdint>

#include "codecs/bmp/Bmp.h"
#include "codecs/gif/GifCodec.h"
#include "codecs/jpeg/JpegImage.h"
#include "core/Errors.h"
#include "imaging/ResampleBitmap.h"
#include "imaging/Rotate90.h"
#include "operations/ResizeFile.h"

using namespace pixtrel;

namespace {

Raster Read(const std::uint8_t* data, std::size_t size) {
  if (size >= 2 && data[0] == 'B' && data[1] == 'M') return DecodeBmp({data, size});
  if (size >= 2 && data[0] == 0xFF && data[1] == 0xD8) {
    TJPEGImage picture = JpegFromBytes(Bytes(data, data + size));
    return TakeJpegRaster(picture);
  }
  return GifFrameRaster(DecodeGif({data, size}));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    Raster raster = Read(data, size);
    if (RasterEmpty(raster) ||
        static_cast<long long>(RasterWidth(raster)) * RasterHeight(raster) > (1 << 22)) {
      return 0;
    }
    const TargetSize small = ResizedSize(RasterWidth(raster), RasterHeight(raster), 24);
    Bitmap24 target(small.width, small.height);
    ResampleBitmap(raster, target, Lanczos3Entry().function, Lanczos3Entry().support);
    const Bitmap24 turned = Rotate90(270, target);

    (void)EncodeBmp(turned);
    TJPEGImage jpeg;
    SetJpegRaster(jpeg, turned);
    EncodeJpeg(jpeg);
    TGIFImage gif;
    SetGifRaster(gif, raster);  // a palette raster keeps its table
    (void)EncodeGif(gif);
    SetGifRaster(gif, turned);
    (void)EncodeGif(gif);
  } catch (const Exception&) {
  }
  return 0;
}
