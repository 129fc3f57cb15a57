#include "imaging/ResizePicture.h"

#include <algorithm>

#include "core/FastStretch.h"
#include "imaging/FilterTable.h"
#include "imaging/ResampleBitmap.h"
#include "imaging/StretchPalette.h"

namespace pixtrel {
namespace {

// A plane of one byte per pixel held as the indices of a palette raster.
PaletteBitmap PlaneAsIndices(const std::vector<std::uint8_t>& plane, int width, int height) {
  PaletteBitmap indices(width, height, 8, {});
  std::copy(plane.begin(), plane.end(), indices.data());
  return indices;
}

std::vector<std::uint8_t> IndicesAsPlane(const PaletteBitmap& indices) {
  return std::vector<std::uint8_t>(indices.data(), indices.data() + indices.pixelCount());
}

bool Opaque(const std::vector<std::uint8_t>& alpha) {
  return std::all_of(alpha.begin(), alpha.end(), [](std::uint8_t a) { return a == 255; });
}

Bitmap24 Resample(const Bitmap24& source, int width, int height) {
  Bitmap24 target = Bitmap24::Uninitialised(width, height);
  const FilterEntry& lanczos = Lanczos3Entry();
  ResampleBitmap(source, target, lanczos.function, lanczos.support);
  return target;
}

// Colours times opacity, rounded.
void Premultiply(Bitmap24& colours, const std::vector<std::uint8_t>& alpha) {
  const int width = colours.width();
  for (int y = 0; y < colours.height(); ++y) {
    std::uint8_t* pixel = colours.row(y);
    const std::uint8_t* a = alpha.data() + static_cast<std::size_t>(y) * width;
    for (int x = 0; x < width; ++x, pixel += 3) {
      for (int c = 0; c < 3; ++c)
        pixel[c] = static_cast<std::uint8_t>((pixel[c] * a[x] + 127) / 255);
    }
  }
}

// Undoes Premultiply on resampled colours; a fully transparent pixel keeps black.
void Unpremultiply(Bitmap24& colours, const std::vector<std::uint8_t>& alpha) {
  const int width = colours.width();
  for (int y = 0; y < colours.height(); ++y) {
    std::uint8_t* pixel = colours.row(y);
    const std::uint8_t* a = alpha.data() + static_cast<std::size_t>(y) * width;
    for (int x = 0; x < width; ++x, pixel += 3) {
      const unsigned opacity = a[x];
      for (int c = 0; c < 3; ++c) {
        const unsigned value = opacity == 0 ? 0 : (pixel[c] * 255u + opacity / 2) / opacity;
        pixel[c] = static_cast<std::uint8_t>(std::min(value, 255u));
      }
    }
  }
}

// The alpha plane resampled as a grey picture.
std::vector<std::uint8_t> ResampleAlpha(const std::vector<std::uint8_t>& alpha, int fromWidth,
                                        int fromHeight, int width, int height) {
  Bitmap24 grey = Bitmap24::Uninitialised(fromWidth, fromHeight);
  for (int y = 0; y < fromHeight; ++y) {
    std::uint8_t* pixel = grey.row(y);
    const std::uint8_t* a = alpha.data() + static_cast<std::size_t>(y) * fromWidth;
    for (int x = 0; x < fromWidth; ++x, pixel += 3)
      pixel[0] = pixel[1] = pixel[2] = a[x];
  }
  const Bitmap24 scaled = Resample(grey, width, height);
  std::vector<std::uint8_t> result(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* pixel = scaled.row(y);
    for (int x = 0; x < width; ++x)
      result[static_cast<std::size_t>(y) * width + x] = pixel[x * 3 + 1];
  }
  return result;
}

DecodedPicture PickPixels(DecodedPicture picture, int width, int height) {
  const int fromWidth = RasterWidth(picture.raster), fromHeight = RasterHeight(picture.raster);
  if (const auto* indices = std::get_if<PaletteBitmap>(&picture.raster)) {
    picture.raster = StretchPalette(*indices, width, height);
  } else {
    Bitmap24 target = Bitmap24::Uninitialised(width, height);
    FastStretch(picture.raster, target, Rect{0, 0, width, height});
    picture.raster = std::move(target);
  }
  if (picture.alpha) {
    const PaletteBitmap plane = PlaneAsIndices(*picture.alpha, fromWidth, fromHeight);
    picture.alpha = IndicesAsPlane(StretchPalette(plane, width, height));
  }
  return picture;
}

}  // namespace

DecodedPicture ResizePicture(DecodedPicture picture, int width, int height, ResizeMethod method) {
  if (method == ResizeMethod::Normal) return PickPixels(std::move(picture), width, height);
  const int fromWidth = RasterWidth(picture.raster), fromHeight = RasterHeight(picture.raster);
  Bitmap24 colours = ToBitmap24(std::move(picture.raster));
  if (!picture.alpha || Opaque(*picture.alpha)) {
    picture.raster = Resample(colours, width, height);
    if (picture.alpha) picture.alpha->assign(static_cast<std::size_t>(width) * height, 255);
    return picture;
  }
  Premultiply(colours, *picture.alpha);
  Bitmap24 scaled = Resample(colours, width, height);
  colours = Bitmap24();
  picture.alpha = ResampleAlpha(*picture.alpha, fromWidth, fromHeight, width, height);
  Unpremultiply(scaled, *picture.alpha);
  picture.raster = std::move(scaled);
  return picture;
}

}  // namespace pixtrel
