#pragma once
// Lanczos3 resampling with pixel-centre geometry and weights that sum to one: the output pixel
// x stands for the source's span [x * scale, (x + 1) * scale), as most picture tools take it.
// (The resize tabs' resampler maps the corners onto each other instead, and stays as it is.)
// Rows first, then columns, each pass rounded to 8 bits; every output pixel is computed by the
// same code whatever thread runs it.
#include "core/Bitmap24.h"

namespace pixtrel {

Bitmap24 CentreResample(const Bitmap24& source, int width, int height);

}  // namespace pixtrel
