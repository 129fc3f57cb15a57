#include "codecs/heif/HeifOutput.h"

#include <algorithm>
#include <array>
#include <string>

#include "core/Errors.h"
#include "core/Limits.h"

namespace pixtrel {
namespace {

// Interpolates a table of (JPEG quality, encoder setting) pairs, rounded to the nearest.
struct QualityPoint {
  int jpeg;
  int setting;
};

template <std::size_t N>
int Interpolate(const std::array<QualityPoint, N>& table, int jpegQuality) {
  const int q = std::clamp(jpegQuality, 0, 100);
  for (std::size_t i = 1; i < N; ++i) {
    const QualityPoint& a = table[i - 1];
    const QualityPoint& b = table[i];
    if (q > b.jpeg) continue;
    const int span = b.jpeg - a.jpeg;
    const int offset = (b.setting - a.setting) * (q - a.jpeg);
    // Rounded to the nearest, halves away from zero, in integers.
    const int step =
        offset >= 0 ? (2 * offset + span) / (2 * span) : -((-2 * offset + span) / (2 * span));
    return a.setting + step;
  }
  return table[N - 1].setting;
}

}  // namespace

int AvifQuantizer(int jpegQuality) {
  // Measured at 4:2:0 and speed kAvifSpeed; the median of three photo-like pictures.
  static constexpr std::array<QualityPoint, 15> kTable{{{0, 63},
                                                        {10, 57},
                                                        {20, 46},
                                                        {30, 39},
                                                        {40, 34},
                                                        {50, 30},
                                                        {60, 27},
                                                        {70, 23},
                                                        {80, 17},
                                                        {85, 15},
                                                        {89, 12},
                                                        {92, 10},
                                                        {95, 8},
                                                        {98, 2},
                                                        {100, 0}}};
  return Interpolate(kTable, jpegQuality);
}

int HeicQuality(int jpegQuality) {
  // Measured at 4:2:0 and kHeicPreset; the median of three photo-like pictures.
  static constexpr std::array<QualityPoint, 14> kTable{{{0, 0},
                                                        {20, 9},
                                                        {30, 21},
                                                        {40, 27},
                                                        {50, 31},
                                                        {60, 35},
                                                        {70, 39},
                                                        {80, 45},
                                                        {85, 47},
                                                        {89, 51},
                                                        {92, 53},
                                                        {95, 59},
                                                        {98, 79},
                                                        {100, 100}}};
  return Interpolate(kTable, jpegQuality);
}

HeifSamples::HeifSamples(const char* format, const Raster& raster,
                         const std::vector<std::uint8_t>* alpha, const DeepSamples* deep) {
  const std::int64_t width = RasterWidth(raster), height = RasterHeight(raster);
  if (width <= 0 || height <= 0)
    throw Exception(std::string("Cannot write an empty picture as ") + format);
  if (width > kMaxHeifWriteSide || height > kMaxHeifWriteSide ||
      width * height > kMaxHeifWritePixels) {
    throw Exception("Picture too large to write as " + std::string(format) + ": " +
                    std::to_string(width) + " x " + std::to_string(height) + " pixels (at most " +
                    std::to_string(kMaxHeifWriteSide) + " a side and " +
                    std::to_string(kMaxHeifWritePixels) + " in all)");
  }
  if (alpha && alpha->size() != static_cast<std::size_t>(width * height)) {
    throw EBitmapError("Alpha plane does not match the picture");
  }
  width_ = static_cast<int>(width);
  height_ = static_cast<int>(height);
  alpha_ = alpha;
  if (const auto* bitmap = std::get_if<Bitmap24>(&raster)) {
    bitmap_ = bitmap;
  } else {
    expanded_ = ToBitmap24(raster);
    bitmap_ = &expanded_;
  }
  if (deep && DeepSamplesMatch(*deep, raster, alpha)) deep_ = deep;
}

}  // namespace pixtrel
