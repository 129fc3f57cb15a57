#pragma once
// A light unsharp mask for pictures made smaller, which resampling leaves a little soft: each
// pixel moves away from the 3x3 blur around it by the amount (in 256ths), in integers, so the
// result is the same on every machine and thread count.
#include "core/Bitmap24.h"

namespace pixtrel {

Bitmap24 Sharpen(const Bitmap24& picture, int amount256);

}  // namespace pixtrel
