#pragma once
// The size the preview shows a picture at.
#include <QSize>

namespace pixtrel {

// value / divisor rounded to the nearest integer, halves to the even neighbour: with divisor 4,
// 2 gives 0, 6 gives 2, 10 gives 2, 14 gives 4. divisor must be positive.
int DivideHalfEven(int value, int divisor);

// Each side of the picture divided by divisor (DivideHalfEven).
QSize ReducedSize(QSize picture, int divisor);

// The size, scaled down with its proportions kept (halves to even) until it fits within limit;
// unchanged when it fits already. No side ends below 1.
QSize FitWithin(QSize size, QSize limit);

}  // namespace pixtrel
