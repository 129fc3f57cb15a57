#include <algorithm>
#include <bit>
#include <cstring>

#include "imaging/RotateKernels.h"

namespace pixtrel {
namespace {

inline std::uint32_t Load32(const std::uint8_t* p) {
  std::uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

inline void Store32(std::uint8_t* p, std::uint32_t v) {
  std::memcpy(p, &v, 4);
}

// Writes four pixels, given as the low three bytes of four words, as twelve bytes. Four-byte
// reads and writes make the copy several times faster than byte moves.
inline void StoreFourPixels(std::uint8_t* out, std::uint32_t a, std::uint32_t b, std::uint32_t c,
                            std::uint32_t d) {
  if constexpr (std::endian::native == std::endian::little) {
    Store32(out, (a & 0xFFFFFFu) | (b << 24));
    Store32(out + 4, ((b >> 8) & 0xFFFFu) | (c << 16));
    Store32(out + 8, ((c >> 16) & 0xFFu) | (d << 8));
  } else {
    const std::uint32_t words[4] = {a, b, c, d};
    for (int i = 0; i < 4; ++i)
      std::memcpy(out + 3 * i, &words[i], 3);
  }
}

}  // namespace

void CopyPixelRun(std::uint8_t* out, const std::uint8_t* in, std::ptrdiff_t step, int count,
                  bool wide) {
  int c = 0;
  if (wide) {
    for (; c + 4 <= count; c += 4, out += 12, in += 4 * step) {
      StoreFourPixels(out, Load32(in), Load32(in + step), Load32(in + 2 * step),
                      Load32(in + 3 * step));
    }
  }
  for (; c < count; ++c, out += 3, in += step)
    std::memcpy(out, in, 3);
}

void TurnQuarterRowsPortable(const Bitmap24& source, Bitmap24& result, int q, int r0, int r1) {
  const int w = source.width(), h = source.height();
  const auto stride = static_cast<std::ptrdiff_t>(source.stride());
  for (int rt = r0; rt < r1; rt += kTurnTile) {
    const int rEnd = std::min(rt + kTurnTile, r1);
    for (int ct = 0; ct < h; ct += kTurnTile) {
      const int count = std::min(kTurnTile, h - ct);
      const std::uint8_t* first = q == 1 ? source.row(ct) : source.row(h - 1 - ct);
      for (int r = rt; r < rEnd; ++r) {
        const int x = q == 1 ? w - 1 - r : r;
        // Only the last column's four-byte read could pass the end of the last row.
        CopyPixelRun(result.row(r) + 3 * static_cast<std::size_t>(ct),
                     first + 3 * static_cast<std::size_t>(x), q == 1 ? stride : -stride, count,
                     x + 1 < w);
      }
    }
  }
}

void TurnHalfRows(const Bitmap24& source, Bitmap24& result, int r0, int r1) {
  const int w = source.width(), h = source.height();
  for (int r = r0; r < r1; ++r) {
    const std::uint8_t* last = source.row(h - 1 - r) + 3 * static_cast<std::size_t>(w - 1);
    std::uint8_t* out = result.row(r);
    // The source's last pixel on its own: a four-byte read there could pass the end.
    std::memcpy(out, last, 3);
    CopyPixelRun(out + 3, last - 3, -3, w - 1, true);
  }
}

}  // namespace pixtrel
