#include "core/DeepSamples.h"

namespace pixtrel {

EightBitPicture ReduceToEightBits(const DeepSamples& deep) {
  EightBitPicture picture;
  picture.raster = Bitmap24::Uninitialised(deep.width, deep.height);
  const bool hasAlpha = deep.channels == 4;
  if (hasAlpha) picture.alpha.emplace(static_cast<std::size_t>(deep.width) * deep.height);
  const std::uint16_t* in = deep.samples.data();
  for (int y = 0; y < deep.height; ++y) {
    std::uint8_t* out = picture.raster.row(y);
    for (int x = 0; x < deep.width; ++x, in += deep.channels, out += 3) {
      out[0] = EightBitSample(in[2]);
      out[1] = EightBitSample(in[1]);
      out[2] = EightBitSample(in[0]);
      if (hasAlpha) {
        (*picture.alpha)[static_cast<std::size_t>(y) * deep.width + x] = EightBitSample(in[3]);
      }
    }
  }
  return picture;
}

bool DeepSamplesMatch(const DeepSamples& deep, const Raster& raster,
                      const std::vector<std::uint8_t>* alpha) {
  const auto* bitmap = std::get_if<Bitmap24>(&raster);
  if (!bitmap || bitmap->width() != deep.width || bitmap->height() != deep.height) return false;
  if ((deep.channels == 4) != (alpha != nullptr) || (deep.channels != 3 && deep.channels != 4)) {
    return false;
  }
  const std::size_t pixels = static_cast<std::size_t>(deep.width) * deep.height;
  if (deep.samples.size() != pixels * deep.channels) return false;
  if (alpha && alpha->size() != pixels) return false;
  const std::uint16_t* in = deep.samples.data();
  for (int y = 0; y < deep.height; ++y) {
    const std::uint8_t* pixel = bitmap->row(y);
    for (int x = 0; x < deep.width; ++x, in += deep.channels, pixel += 3) {
      if (pixel[0] != EightBitSample(in[2]) || pixel[1] != EightBitSample(in[1]) ||
          pixel[2] != EightBitSample(in[0])) {
        return false;
      }
      if (alpha &&
          (*alpha)[static_cast<std::size_t>(y) * deep.width + x] != EightBitSample(in[3])) {
        return false;
      }
    }
  }
  return true;
}

}  // namespace pixtrel
