#pragma once
// The copy loops of the quarter and half turns, portable and with AVX2 (same bytes, of course).
#include <cstddef>
#include <cstdint>

#include "core/Bitmap24.h"
#include "imaging/Kernels.h"

namespace pixtrel {

// Side of the square tiles a quarter turn is copied in. Each result column of a tile comes from
// another source row, so a tile touches this many source rows: few enough for their cache lines
// and page entries to stay cached while it is copied.
inline constexpr int kTurnTile = 32;

// count pixels to out (contiguous) from in, in + step, in + 2 step... wide says that a four-byte
// read at each of these pixels stays inside the source.
void CopyPixelRun(std::uint8_t* out, const std::uint8_t* in, std::ptrdiff_t step, int count,
                  bool wide);

// Result rows [r0, r1) of a quarter turn; q is 1 (counter-clockwise) or 3 (clockwise). Result row
// r, column c takes the source pixel at column x, row y with
//   q = 1: x = W - 1 - r, y = c;    q = 3: x = r, y = H - 1 - c.
void TurnQuarterRowsPortable(const Bitmap24& source, Bitmap24& result, int q, int r0, int r1);
// Only when UseAvx2Kernels() is true.
void TurnQuarterRowsAvx2(const Bitmap24& source, Bitmap24& result, int q, int r0, int r1);

// Result rows [r0, r1) of a half turn: row r is source row H - 1 - r reversed.
void TurnHalfRows(const Bitmap24& source, Bitmap24& result, int r0, int r1);

}  // namespace pixtrel
