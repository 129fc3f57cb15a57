#include "imaging/Orientation.h"

#include <algorithm>
#include <utility>

#include "imaging/Rotate90.h"
#include "imaging/RotatePalette.h"

namespace pixtrel {
namespace {

// Rotate90 and RotatePalette count counter-clockwise.
int CounterClockwiseAngle(int clockwiseQuarters) {
  return (4 - clockwiseQuarters) % 4 * 90;
}

void MirrorRows(std::uint8_t* first, int width, int height, std::size_t stride, int bytes) {
  for (int y = 0; y < height; ++y) {
    std::uint8_t* left = first + static_cast<std::size_t>(y) * stride;
    std::uint8_t* right = left + static_cast<std::size_t>(width - 1) * bytes;
    for (; left < right; left += bytes, right -= bytes) {
      std::swap_ranges(left, left + bytes, right);
    }
  }
}

}  // namespace

Orientation Orientation::FromExif(int tag) {
  switch (tag) {
    case 2:
      return {true, 0};
    case 3:
      return {false, 2};
    case 4:
      return {true, 2};
    case 5:
      return {true, 3};
    case 6:
      return {false, 1};
    case 7:
      return {true, 1};
    case 8:
      return {false, 3};
    default:
      return {false, 0};
  }
}

int Orientation::exifTag() const {
  static constexpr int kPlain[4] = {1, 6, 3, 8};
  static constexpr int kMirrored[4] = {2, 7, 4, 5};
  return mirror ? kMirrored[clockwiseQuarters] : kPlain[clockwiseQuarters];
}

Orientation Orientation::thenTurn(int counterClockwiseAngle) const {
  const int quarters = ((-counterClockwiseAngle / 90) % 4 + 4) % 4;
  return {mirror, (clockwiseQuarters + quarters) % 4};
}

Bitmap24 TurnBitmap(Bitmap24 picture, Orientation orientation) {
  if (orientation.mirror) {
    MirrorRows(picture.data(), picture.width(), picture.height(), picture.stride(), 3);
  }
  if (orientation.clockwiseQuarters == 0 || picture.empty()) return picture;
  return Rotate90(CounterClockwiseAngle(orientation.clockwiseQuarters), picture);
}

Raster TurnRaster(Raster picture, Orientation orientation) {
  if (orientation.upright()) return picture;
  if (auto* indices = std::get_if<PaletteBitmap>(&picture)) {
    if (orientation.mirror) {
      MirrorRows(indices->data(), indices->width(), indices->height(),
                 static_cast<std::size_t>(indices->width()), 1);
    }
    if (orientation.clockwiseQuarters == 0 || indices->empty()) return picture;
    return RotatePalette(CounterClockwiseAngle(orientation.clockwiseQuarters), *indices);
  }
  return TurnBitmap(std::get<Bitmap24>(std::move(picture)), orientation);
}

std::vector<std::uint8_t> TurnPlane(std::vector<std::uint8_t> plane, int width, int height,
                                    Orientation orientation) {
  if (orientation.upright() || width <= 0 || height <= 0) return plane;
  // The plane turns as colour-table indices do.
  PaletteBitmap indices(width, height, 8, {});
  std::copy(plane.begin(), plane.end(), indices.data());
  Raster turned = TurnRaster(std::move(indices), orientation);
  const PaletteBitmap& result = std::get<PaletteBitmap>(turned);
  return std::vector<std::uint8_t>(result.data(), result.data() + result.pixelCount());
}

}  // namespace pixtrel
