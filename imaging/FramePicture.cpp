#include "imaging/FramePicture.h"

#include <algorithm>
#include <cstring>

#include "core/Errors.h"
#include "imaging/DeepGeometry.h"

namespace pixtrel {
namespace {

// Bitmap24 rows hold blue, green, red.
void Fill(Bitmap24& canvas, std::uint32_t colour) {
  const std::uint8_t bgr[3] = {static_cast<std::uint8_t>(colour),
                               static_cast<std::uint8_t>(colour >> 8),
                               static_cast<std::uint8_t>(colour >> 16)};
  for (int y = 0; y < canvas.height(); ++y) {
    std::uint8_t* row = canvas.row(y);
    for (int x = 0; x < canvas.width(); ++x)
      std::memcpy(row + 3 * x, bgr, 3);
  }
}

}  // namespace

DecodedPicture CropPicture(DecodedPicture picture, int left, int top, int width, int height) {
  const int fullWidth = RasterWidth(picture.raster), fullHeight = RasterHeight(picture.raster);
  if (left < 0 || top < 0 || width < 1 || height < 1 || left + width > fullWidth ||
      top + height > fullHeight) {
    throw EBitmapError("Bitmap image is not valid");
  }
  if (width == fullWidth && height == fullHeight) return picture;
  DecodedPicture part;
  part.metadata = std::move(picture.metadata);
  part.lossless = picture.lossless;
  if (auto* indices = std::get_if<PaletteBitmap>(&picture.raster)) {
    PaletteBitmap cut(width, height, indices->bitsPerPixel(), indices->palette());
    for (int y = 0; y < height; ++y)
      std::memcpy(cut.row(y), indices->row(top + y) + left, static_cast<std::size_t>(width));
    part.raster = std::move(cut);
  } else {
    const Bitmap24& colours = std::get<Bitmap24>(picture.raster);
    Bitmap24 cut = Bitmap24::Uninitialised(width, height);
    for (int y = 0; y < height; ++y) {
      std::memcpy(cut.row(y), colours.row(top + y) + 3 * static_cast<std::size_t>(left),
                  3 * static_cast<std::size_t>(width));
    }
    part.raster = std::move(cut);
  }
  if (picture.alpha) {
    std::vector<std::uint8_t> alpha(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
      std::memcpy(alpha.data() + static_cast<std::size_t>(y) * width,
                  picture.alpha->data() + static_cast<std::size_t>(top + y) * fullWidth + left,
                  static_cast<std::size_t>(width));
    }
    part.alpha = std::move(alpha);
  }
  if (picture.deep) part.deep = CropDeep(*picture.deep, left, top, width, height);
  return part;
}

DecodedPicture PadPicture(DecodedPicture picture, int canvasWidth, int canvasHeight, int left,
                          int top, std::uint32_t colour) {
  const int width = RasterWidth(picture.raster), height = RasterHeight(picture.raster);
  if (left < 0 || top < 0 || left + width > canvasWidth || top + height > canvasHeight)
    throw EBitmapError("Bitmap image is not valid");
  const Bitmap24 colours = ToBitmap24(std::move(picture.raster));
  Bitmap24 canvas = Bitmap24::Uninitialised(canvasWidth, canvasHeight);
  Fill(canvas, colour);
  for (int y = 0; y < height; ++y) {
    std::memcpy(canvas.row(top + y) + 3 * static_cast<std::size_t>(left), colours.row(y),
                3 * static_cast<std::size_t>(width));
  }
  DecodedPicture padded;
  padded.metadata = std::move(picture.metadata);
  padded.lossless = picture.lossless;
  padded.raster = std::move(canvas);
  if (picture.alpha) {
    std::vector<std::uint8_t> alpha(static_cast<std::size_t>(canvasWidth) * canvasHeight, 255);
    for (int y = 0; y < height; ++y) {
      std::memcpy(alpha.data() + static_cast<std::size_t>(top + y) * canvasWidth + left,
                  picture.alpha->data() + static_cast<std::size_t>(y) * width,
                  static_cast<std::size_t>(width));
    }
    padded.alpha = std::move(alpha);
  }
  if (picture.deep)
    padded.deep = PadDeep(*picture.deep, canvasWidth, canvasHeight, left, top, colour);
  return padded;
}

void LayOverColour(DecodedPicture& picture, std::uint32_t colour) {
  if (!picture.alpha) return;
  if (picture.alpha->size() !=
      static_cast<std::size_t>(RasterWidth(picture.raster)) * RasterHeight(picture.raster)) {
    throw EBitmapError("Alpha plane does not match the picture");
  }
  Bitmap24* own = std::get_if<Bitmap24>(&picture.raster);
  Bitmap24 colours = own ? std::move(*own) : ToBitmap24(picture.raster);
  const int background[3] = {static_cast<int>(colour & 0xFF),
                             static_cast<int>((colour >> 8) & 0xFF),
                             static_cast<int>((colour >> 16) & 0xFF)};
  const std::uint8_t* alpha = picture.alpha->data();
  for (int y = 0; y < colours.height(); ++y) {
    std::uint8_t* row = colours.row(y);
    for (int x = 0; x < colours.width(); ++x, ++alpha) {
      const int a = *alpha;
      for (int c = 0; c < 3; ++c)
        row[3 * x + c] =
            static_cast<std::uint8_t>((row[3 * x + c] * a + background[c] * (255 - a) + 127) / 255);
    }
  }
  picture.raster = std::move(colours);
  picture.alpha.reset();
  picture.deep.reset();
}

}  // namespace pixtrel
