#pragma once
// The size a resize makes: the longer side given, the aspect ratio kept.

namespace pixtrel {

struct TargetSize {
  int width = 0;
  int height = 0;
};

// The size whose longer side is n: each side times n / (longer side), in double precision,
// rounded half to even; a shorter side that would round to 0 becomes 1. Fails with "Invalid
// size N: the longer side must be at least 1 pixel" for n < 1, with "Floating point division by
// zero" for an empty picture, and with the picture size limits for a huge n.
TargetSize ResizedSize(int width, int height, int n);

}  // namespace pixtrel
