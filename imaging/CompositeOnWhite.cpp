#include "imaging/CompositeOnWhite.h"

#include "core/Errors.h"

namespace pixtrel {
namespace {

void Composite(Bitmap24& result, const std::vector<std::uint8_t>& alpha) {
  const int width = result.width();
  if (alpha.size() != static_cast<std::size_t>(width) * result.height()) {
    throw EBitmapError("Alpha plane does not match the picture");
  }
  for (int y = 0; y < result.height(); ++y) {
    std::uint8_t* pixel = result.row(y);
    const std::uint8_t* a = alpha.data() + static_cast<std::size_t>(y) * width;
    for (int x = 0; x < width; ++x, pixel += 3) {
      const unsigned opacity = a[x];
      const unsigned white = 255u * (255u - opacity);
      for (int c = 0; c < 3; ++c) {
        pixel[c] = static_cast<std::uint8_t>((pixel[c] * opacity + white + 127u) / 255u);
      }
    }
  }
}

}  // namespace

Bitmap24 CompositeOnWhite(const DecodedPicture& picture) {
  Bitmap24 result = ToBitmap24(picture.raster);
  if (picture.alpha) Composite(result, *picture.alpha);
  return result;
}

Bitmap24 CompositeOnWhite(DecodedPicture&& picture) {
  Bitmap24* own = std::get_if<Bitmap24>(&picture.raster);
  Bitmap24 result = own ? std::move(*own) : ToBitmap24(picture.raster);
  if (picture.alpha) Composite(result, *picture.alpha);
  picture.alpha.reset();
  return result;
}

}  // namespace pixtrel
