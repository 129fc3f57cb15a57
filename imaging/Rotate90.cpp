#include "imaging/Rotate90.h"

#include <algorithm>
#include <cstring>

#include "concurrency/ParallelFor.h"
#include "core/Errors.h"
#include "imaging/RotateKernels.h"

namespace pixtrel {
namespace {

// Result pixels per thread below which a second thread does not pay.
constexpr int kMinPixelsPerThread = 1 << 16;

// Zeroes the bytes that pad rows [r0, r1) to a multiple of four, so no stale memory reaches a file.
void ClearPadding(Bitmap24& result, int r0, int r1) {
  const std::size_t used = 3 * static_cast<std::size_t>(result.width());
  if (used == result.stride()) return;
  for (int r = r0; r < r1; ++r)
    std::memset(result.row(r) + used, 0, result.stride() - used);
}

}  // namespace

int QuarterTurns(int angle) {
  if (angle % 90 != 0) {
    throw EBitmapError("Rotate90:  Angle not positive multiple of 90 degrees");
  }
  return ((angle / 90) % 4 + 4) % 4;
}

Bitmap24 Rotate90(int angle, const Bitmap24& source) {
  const int q = QuarterTurns(angle);
  if (q == 0) return source;
  const int w = source.width(), h = source.height();
  Bitmap24 result = q == 2 ? Bitmap24::Uninitialised(w, h) : Bitmap24::Uninitialised(h, w);
  if (result.empty()) return result;
  const int rows = result.height();
  const int minRows = std::max(1, kMinPixelsPerThread / result.width());
  const bool avx2 = UseAvx2Kernels();
  ParallelFor(rows, q == 2 ? 1 : kTurnTile, minRows, [&](int r0, int r1) {
    if (q == 2) {
      TurnHalfRows(source, result, r0, r1);
    } else if (avx2) {
      TurnQuarterRowsAvx2(source, result, q, r0, r1);
    } else {
      TurnQuarterRowsPortable(source, result, q, r0, r1);
    }
    ClearPadding(result, r0, r1);
  });
  return result;
}

Bitmap24 Rotate90(int angle, const Raster& source) {
  const Bitmap24* bitmap = std::get_if<Bitmap24>(&source);
  if (!bitmap) throw EBitmapError("Can Rotate90 only 24-bit bitmap");
  return Rotate90(angle, *bitmap);
}

}  // namespace pixtrel
