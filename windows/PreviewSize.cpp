#include "windows/PreviewSize.h"

#include <algorithm>
#include <cstdint>

namespace pixtrel {
namespace {

// numerator / denominator rounded half to even; both non-negative, denominator positive.
std::int64_t RoundedQuotient(std::int64_t numerator, std::int64_t denominator) {
  const std::int64_t quotient = numerator / denominator;
  const std::int64_t twice = 2 * (numerator % denominator);
  if (twice > denominator || (twice == denominator && quotient % 2 != 0)) return quotient + 1;
  return quotient;
}

}  // namespace

int DivideHalfEven(int value, int divisor) {
  const std::int64_t magnitude = RoundedQuotient(value < 0 ? -std::int64_t{value} : value, divisor);
  return static_cast<int>(value < 0 ? -magnitude : magnitude);
}

QSize ReducedSize(QSize picture, int divisor) {
  return QSize(DivideHalfEven(picture.width(), divisor), DivideHalfEven(picture.height(), divisor));
}

QSize FitWithin(QSize size, QSize limit) {
  const std::int64_t width = std::max(size.width(), 1);
  const std::int64_t height = std::max(size.height(), 1);
  const std::int64_t maxWidth = std::max(limit.width(), 1);
  const std::int64_t maxHeight = std::max(limit.height(), 1);
  if (width <= maxWidth && height <= maxHeight)
    return QSize(static_cast<int>(width), static_cast<int>(height));
  // The side that overshoots more sets the scale: width * s <= maxWidth and height * s <=
  // maxHeight with s = maxWidth / width or maxHeight / height, compared without division.
  std::int64_t fittedWidth = maxWidth;
  std::int64_t fittedHeight = maxHeight;
  if (maxWidth * height <= maxHeight * width) {
    fittedHeight = RoundedQuotient(height * maxWidth, width);
  } else {
    fittedWidth = RoundedQuotient(width * maxHeight, height);
  }
  return QSize(static_cast<int>(std::max<std::int64_t>(fittedWidth, 1)),
               static_cast<int>(std::max<std::int64_t>(fittedHeight, 1)));
}

}  // namespace pixtrel
