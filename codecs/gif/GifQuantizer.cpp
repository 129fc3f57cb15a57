#include "codecs/gif/GifQuantizer.h"

#include <algorithm>

#include "codecs/gif/GifColourMapping.h"
#include "codecs/gif/GifPaletteBuilder.h"
#include "core/Errors.h"

namespace pixtrel {
namespace {

constexpr std::uint8_t kSeeThrough = 128;  // alpha below this is transparent in the GIF

bool HasTransparency(const std::vector<std::uint8_t>& alpha) {
  for (const std::uint8_t a : alpha) {
    if (a < kSeeThrough) return true;
  }
  return false;
}

// The picture over white where it is partly transparent; the mask marks the pixels that stay.
Bitmap24 OnWhiteMatte(const Bitmap24& picture, const std::vector<std::uint8_t>& alpha,
                      std::vector<std::uint8_t>& mask) {
  Bitmap24 result = picture;
  const int width = picture.width();
  mask.assign(alpha.size(), 0);
  for (int y = 0; y < picture.height(); ++y) {
    std::uint8_t* p = result.row(y);
    const std::size_t rowStart = static_cast<std::size_t>(y) * width;
    for (int x = 0; x < width; ++x, p += 3) {
      const unsigned a = alpha[rowStart + x];
      if (a < kSeeThrough) continue;
      mask[rowStart + x] = 1;
      if (a == 255) continue;
      for (int c = 0; c < 3; ++c) {
        p[c] = static_cast<std::uint8_t>((p[c] * a + 255u * (255u - a) + 127u) / 255u);
      }
    }
  }
  return result;
}

}  // namespace

QuantizedPicture QuantizeForGif(const Bitmap24& picture, const std::vector<std::uint8_t>* alpha,
                                bool dither) {
  const std::size_t pixels = static_cast<std::size_t>(picture.width()) * picture.height();
  if (alpha && alpha->size() != pixels)
    throw EBitmapError("Alpha plane does not match the picture");
  QuantizedPicture result;
  if (picture.empty()) return result;
  const bool transparent = alpha && HasTransparency(*alpha);
  std::vector<std::uint8_t> mask;
  Bitmap24 matted;
  if (alpha && (transparent || !std::all_of(alpha->begin(), alpha->end(),
                                            [](std::uint8_t a) { return a == 255; }))) {
    matted = OnWhiteMatte(picture, *alpha, mask);
  }
  const Bitmap24& colours = matted.empty() ? picture : matted;
  const std::vector<std::uint8_t>* counted = transparent ? &mask : nullptr;

  const std::vector<Rgb> table = BuildPalette(colours, counted, transparent ? 255 : 256);
  std::vector<Rgb> written = table;
  if (transparent) {
    result.transparentIndex = static_cast<int>(table.size());
    written.push_back(Rgb{255, 255, 255});  // never chosen for a visible pixel
  }
  result.indices = PaletteBitmap(picture.width(), picture.height(), 8, std::move(written));
  MapToTable(colours, counted, table, result.transparentIndex, dither, result.indices.data());
  return result;
}

}  // namespace pixtrel
