// Quarter turns with AVX2: blocks of 8 x 8 pixels are widened to one 32-bit word per pixel,
// transposed in registers and narrowed again; the rest of each tile is copied pixel by pixel.
#include <algorithm>

#include "imaging/RotateKernels.h"

namespace pixtrel {

#ifdef PIXTREL_HAVE_AVX2
namespace {

// Loads and stores touch exactly the 24 bytes of eight pixels, never a byte beyond.
PIXTREL_AVX2 inline __m256i Mask24() {
  return _mm256_setr_epi32(-1, -1, -1, -1, -1, -1, 0, 0);
}

// Eight pixels at p as eight words, pixel i in word i (top byte 0). `wide` says that the eight
// bytes after them may be read too (masked loads and stores are slow on some processors).
PIXTREL_AVX2 inline __m256i LoadEightPixels(const std::uint8_t* p, bool wide) {
  const __m256i raw = wide ? _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p))
                           : _mm256_maskload_epi32(reinterpret_cast<const int*>(p), Mask24());
  // Bytes 0-15 to the low half, bytes 12-27 to the high half, then one pixel per word.
  const __m256i halves =
      _mm256_permutevar8x32_epi32(raw, _mm256_setr_epi32(0, 1, 2, 3, 3, 4, 5, 6));
  const __m256i spread = _mm256_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1, 0,
                                          1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
  return _mm256_shuffle_epi8(halves, spread);
}

// `wide` says that the eight bytes after them may be written too: they are pixels of the same
// row that this thread writes afterwards.
PIXTREL_AVX2 inline void StoreEightPixels(std::uint8_t* p, __m256i words, bool wide) {
  const __m256i pack = _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1, 0,
                                        1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
  const __m256i packed = _mm256_shuffle_epi8(words, pack);
  const __m256i joined =
      _mm256_permutevar8x32_epi32(packed, _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 7, 7));
  if (wide) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), joined);
  } else {
    _mm256_maskstore_epi32(reinterpret_cast<int*>(p), Mask24(), joined);
  }
}

PIXTREL_AVX2 inline void Transpose8(__m256i r[8]) {
  __m256i t[8], u[8];
  for (int i = 0; i < 8; i += 2) {
    t[i] = _mm256_unpacklo_epi32(r[i], r[i + 1]);
    t[i + 1] = _mm256_unpackhi_epi32(r[i], r[i + 1]);
  }
  for (int i = 0; i < 8; i += 4) {
    u[i] = _mm256_unpacklo_epi64(t[i], t[i + 2]);
    u[i + 1] = _mm256_unpackhi_epi64(t[i], t[i + 2]);
    u[i + 2] = _mm256_unpacklo_epi64(t[i + 1], t[i + 3]);
    u[i + 3] = _mm256_unpackhi_epi64(t[i + 1], t[i + 3]);
  }
  for (int i = 0; i < 4; ++i) {
    r[i] = _mm256_permute2x128_si256(u[i], u[i + 4], 0x20);
    r[i + 4] = _mm256_permute2x128_si256(u[i], u[i + 4], 0x31);
  }
}

// Result rows [r, r + 8), columns [c, c + 8). Blocks of a result row are written in column order,
// so a block may overwrite the next block's first bytes; only the row's last columns may not.
PIXTREL_AVX2 void TurnBlock(const Bitmap24& source, Bitmap24& result, int q, int r, int c) {
  const int w = source.width(), h = source.height();
  const bool wideStore =
      3 * (static_cast<std::size_t>(c) + 8) + 8 <= 3 * static_cast<std::size_t>(h);
  const std::uint8_t* end = source.data() + source.byteSize();
  __m256i rows[8];
  if (q == 1) {
    // Source rows c.. from column W - 8 - r: word m of each is result row r + 7 - m.
    const std::size_t x = 3 * static_cast<std::size_t>(w - 8 - r);
    for (int k = 0; k < 8; ++k) {
      const std::uint8_t* p = source.row(c + k) + x;
      rows[k] = LoadEightPixels(p, end - p >= 32);
    }
    Transpose8(rows);
    for (int m = 0; m < 8; ++m) {
      StoreEightPixels(result.row(r + 7 - m) + 3 * static_cast<std::size_t>(c), rows[m], wideStore);
    }
  } else {
    // Source rows H - 1 - c downwards from column r: word i of each is result row r + i.
    const std::size_t x = 3 * static_cast<std::size_t>(r);
    for (int k = 0; k < 8; ++k) {
      const std::uint8_t* p = source.row(h - 1 - c - k) + x;
      rows[k] = LoadEightPixels(p, end - p >= 32);
    }
    Transpose8(rows);
    for (int i = 0; i < 8; ++i) {
      StoreEightPixels(result.row(r + i) + 3 * static_cast<std::size_t>(c), rows[i], wideStore);
    }
  }
}

// Result row r, columns [c0, c1), pixel by pixel.
void TurnRun(const Bitmap24& source, Bitmap24& result, int q, int r, int c0, int c1) {
  const int w = source.width(), h = source.height();
  const auto stride = static_cast<std::ptrdiff_t>(source.stride());
  const int x = q == 1 ? w - 1 - r : r;
  const std::uint8_t* first = (q == 1 ? source.row(c0) : source.row(h - 1 - c0)) + 3 * x;
  CopyPixelRun(result.row(r) + 3 * static_cast<std::size_t>(c0), first, q == 1 ? stride : -stride,
               c1 - c0, x + 1 < w);
}

}  // namespace

PIXTREL_AVX2 void TurnQuarterRowsAvx2(const Bitmap24& source, Bitmap24& result, int q, int r0,
                                      int r1) {
  const int h = source.height();
  for (int rt = r0; rt < r1; rt += kTurnTile) {
    const int rEnd = std::min(rt + kTurnTile, r1);
    for (int ct = 0; ct < h; ct += kTurnTile) {
      const int cEnd = std::min(ct + kTurnTile, h);
      int r = rt;
      for (; r + 8 <= rEnd; r += 8) {
        int c = ct;
        for (; c + 8 <= cEnd; c += 8)
          TurnBlock(source, result, q, r, c);
        if (c < cEnd) {
          for (int i = 0; i < 8; ++i)
            TurnRun(source, result, q, r + i, c, cEnd);
        }
      }
      for (; r < rEnd; ++r)
        TurnRun(source, result, q, r, ct, cEnd);
    }
  }
}

#else

void TurnQuarterRowsAvx2(const Bitmap24&, Bitmap24&, int, int, int) {}

#endif

}  // namespace pixtrel
