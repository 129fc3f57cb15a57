// The resampling passes with AVX2 and FMA: eight channel sums per register. Every sum still
// takes its taps one by one in list order, each update a single fused multiply-add, so the bytes
// equal those of the portable kernels.
#include <cstring>

#include "imaging/ResampleKernels.h"

namespace pixtrel {

// Floats per source column of a block: kHorizontalBlockRows rows of three channels.
static constexpr int kBlockLanes = kHorizontalBlockRows * 3;

std::size_t HorizontalScratchFloats(int sourceWidth) {
  // The block of columns, and room for the last column's four-float store past its end.
  return static_cast<std::size_t>(sourceWidth) * kBlockLanes + 4;
}

#ifdef PIXTREL_HAVE_AVX2
namespace {

PIXTREL_AVX2 inline __m256 LoadBytes8(const std::uint8_t* p) {
  const __m128i bytes = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
  return _mm256_cvtepi32_ps(_mm256_cvtepu8_epi32(bytes));
}

// Same order of comparisons as ClampRoundToByte: max(sum, 0) then min(v, 255).
PIXTREL_AVX2 inline __m256i ClampRound8(__m256 sum) {
  __m256 v = _mm256_max_ps(sum, _mm256_setzero_ps());
  v = _mm256_min_ps(v, _mm256_set1_ps(255.0f));
  v = _mm256_round_ps(v, _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
  return _mm256_cvttps_epi32(v);
}

// 32 values of 0..255 in four registers to 32 bytes in order.
PIXTREL_AVX2 inline __m256i PackBytes32(__m256i a, __m256i b, __m256i c, __m256i d) {
  const __m256i ab = _mm256_packs_epi32(a, b);
  const __m256i cd = _mm256_packs_epi32(c, d);
  const __m256i bytes = _mm256_packus_epi16(ab, cd);
  return _mm256_permutevar8x32_epi32(bytes, _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7));
}

PIXTREL_AVX2 inline __m128i PackBytes16(__m256i a, __m256i b) {
  const __m128i lo = _mm_packs_epi32(_mm256_castsi256_si128(a), _mm256_extracti128_si256(a, 1));
  const __m128i hi = _mm_packs_epi32(_mm256_castsi256_si128(b), _mm256_extracti128_si256(b, 1));
  return _mm_packus_epi16(lo, hi);
}

PIXTREL_AVX2 inline __m128i PackBytes8(__m256i a) {
  const __m128i words = _mm_packs_epi32(_mm256_castsi256_si128(a), _mm256_extracti128_si256(a, 1));
  return _mm_packus_epi16(words, words);
}

// The 48 bytes of a column's sums, row r's three at 3r, stored three times over (bytes 0-31,
// 16-47 and 32-47) so that each row's four-byte read lies inside a single store: a read that
// straddles two stores cannot be forwarded from them and waits until they reach the cache.
PIXTREL_AVX2 inline void StoreSums(__m256i low, __m128i high, std::uint8_t* packed) {
  const __m256i middle =
      _mm256_inserti128_si256(_mm256_castsi128_si256(_mm256_extracti128_si256(low, 1)), high, 1);
  _mm256_store_si256(reinterpret_cast<__m256i*>(packed), low);
  _mm256_store_si256(reinterpret_cast<__m256i*>(packed + 32), middle);
  _mm256_store_si256(reinterpret_cast<__m256i*>(packed + 64), _mm256_zextsi128_si256(high));
}

// Where StoreSums leaves row r's four bytes: rows 0-9 in the first store, row 10 (bytes 30-33)
// in the second, rows 11-15 (up to byte 48) in the third.
constexpr int kSumsAt[kHorizontalBlockRows] = {0,  3,  6,  9,  12, 15, 18, 21,
                                               24, 27, 46, 65, 68, 71, 74, 77};

PIXTREL_AVX2 inline float FusedTap(float sum, std::uint8_t byte, float weight) {
  return _mm_cvtss_f32(
      _mm_fmadd_ss(_mm_set_ss(static_cast<float>(byte)), _mm_set_ss(weight), _mm_set_ss(sum)));
}

// The three bytes at p as floats in the low three lanes. With `more` the fourth byte is read too
// (its lane is garbage to be overwritten); without, nothing past p[2] is read.
PIXTREL_AVX2 inline __m128 PixelFloats(const std::uint8_t* p, bool more) {
  std::uint32_t bytes;
  if (more) {
    std::memcpy(&bytes, p, 4);
  } else {
    bytes = p[0] | static_cast<std::uint32_t>(p[1]) << 8 | static_cast<std::uint32_t>(p[2]) << 16;
  }
  return _mm_cvtepi32_ps(_mm_cvtepu8_epi32(_mm_cvtsi32_si128(static_cast<int>(bytes))));
}

// Fills the block with rows [yb, yb + rows) of the source: column j holds at j * kBlockLanes the
// three channels of each row in turn. The bytes are read straight from the rows: floats written
// to memory and read back at other offsets would wait for their stores. A short last block
// repeats its last row (sums of rows past the source are never written out).
PIXTREL_AVX2 void LoadBlock(const PixelRows& source, int yb, int rows, float* block) {
  const std::uint8_t* line[kHorizontalBlockRows];
  for (int r = 0; r < kHorizontalBlockRows; ++r)
    line[r] = source.row(yb + (r < rows ? r : rows - 1));
  const int width = source.width;
  float* d = block;
  for (int j = 0; j < width; ++j, d += kBlockLanes) {
    // Four floats at once: the fourth lands on the next row's slot (the last row's on the next
    // column's first, or on the scratch's spare floats), written after this one.
    const bool more = j + 1 < width;
    const std::size_t offset = 3 * static_cast<std::size_t>(j);
    for (int r = 0; r < kHorizontalBlockRows; ++r)
      _mm_storeu_ps(d + 3 * r, PixelFloats(line[r] + offset, more));
  }
}

}  // namespace

PIXTREL_AVX2 void HorizontalPassAvx2(const PixelRows& source, const PixelRows& intermediate,
                                     TapView taps, int y0, int y1, float* scratch) {
  float* block = scratch;
  const int outWidth = intermediate.width;
  alignas(32) std::uint8_t packed[96];

  for (int yb = y0; yb < y1; yb += kHorizontalBlockRows) {
    const int rows = y1 - yb < kHorizontalBlockRows ? y1 - yb : kHorizontalBlockRows;
    LoadBlock(source, yb, rows, block);
    std::uint8_t* out[kHorizontalBlockRows];
    for (int r = 0; r < rows; ++r)
      out[r] = intermediate.row(yb + r);

    for (int x = 0; x < outWidth; ++x) {
      const Tap* t = taps.taps + taps.starts[x];
      const Tap* const end = taps.taps + taps.starts[x + 1];
      __m256 a0 = _mm256_setzero_ps(), a1 = a0, a2 = a0, a3 = a0, a4 = a0, a5 = a0;
      for (; t < end; ++t) {
        const float* p = block + static_cast<std::size_t>(t->index) * kBlockLanes;
        const __m256 w = _mm256_set1_ps(t->weight);
        a0 = _mm256_fmadd_ps(_mm256_loadu_ps(p), w, a0);
        a1 = _mm256_fmadd_ps(_mm256_loadu_ps(p + 8), w, a1);
        a2 = _mm256_fmadd_ps(_mm256_loadu_ps(p + 16), w, a2);
        a3 = _mm256_fmadd_ps(_mm256_loadu_ps(p + 24), w, a3);
        a4 = _mm256_fmadd_ps(_mm256_loadu_ps(p + 32), w, a4);
        a5 = _mm256_fmadd_ps(_mm256_loadu_ps(p + 40), w, a5);
      }
      StoreSums(PackBytes32(ClampRound8(a0), ClampRound8(a1), ClampRound8(a2), ClampRound8(a3)),
                PackBytes16(ClampRound8(a4), ClampRound8(a5)), packed);

      const std::size_t offset = 3 * static_cast<std::size_t>(x);
      if (x + 1 < outWidth) {
        // Four bytes at once: the fourth is the next pixel's, rewritten when its turn comes.
        for (int r = 0; r < rows; ++r)
          std::memcpy(out[r] + offset, packed + kSumsAt[r], 4);
      } else {
        for (int r = 0; r < rows; ++r)
          std::memcpy(out[r] + offset, packed + kSumsAt[r], 3);
      }
    }
  }
}

PIXTREL_AVX2 void VerticalPassAvx2(const PixelRows& intermediate, const PixelRows& target,
                                   TapView taps, int y0, int y1) {
  const std::size_t rowBytes = 3 * static_cast<std::size_t>(target.width);
  for (int y = y0; y < y1; ++y) {
    const Tap* const begin = taps.taps + taps.starts[y];
    const Tap* const end = taps.taps + taps.starts[y + 1];
    std::uint8_t* out = target.row(y);
    std::size_t b = 0;
    for (; b + 32 <= rowBytes; b += 32) {
      __m256 a0 = _mm256_setzero_ps(), a1 = a0, a2 = a0, a3 = a0;
      for (const Tap* t = begin; t < end; ++t) {
        const std::uint8_t* p = intermediate.row(t->index) + b;
        const __m256 w = _mm256_set1_ps(t->weight);
        a0 = _mm256_fmadd_ps(LoadBytes8(p), w, a0);
        a1 = _mm256_fmadd_ps(LoadBytes8(p + 8), w, a1);
        a2 = _mm256_fmadd_ps(LoadBytes8(p + 16), w, a2);
        a3 = _mm256_fmadd_ps(LoadBytes8(p + 24), w, a3);
      }
      _mm256_storeu_si256(
          reinterpret_cast<__m256i*>(out + b),
          PackBytes32(ClampRound8(a0), ClampRound8(a1), ClampRound8(a2), ClampRound8(a3)));
    }
    for (; b + 8 <= rowBytes; b += 8) {
      __m256 a0 = _mm256_setzero_ps();
      for (const Tap* t = begin; t < end; ++t) {
        const std::uint8_t* p = intermediate.row(t->index) + b;
        a0 = _mm256_fmadd_ps(LoadBytes8(p), _mm256_set1_ps(t->weight), a0);
      }
      _mm_storel_epi64(reinterpret_cast<__m128i*>(out + b), PackBytes8(ClampRound8(a0)));
    }
    for (; b < rowBytes; ++b) {
      float sum = 0.0f;
      for (const Tap* t = begin; t < end; ++t) {
        sum = FusedTap(sum, intermediate.row(t->index)[b], t->weight);
      }
      out[b] = ClampRoundToByte(sum);
    }
  }
}

#else

void HorizontalPassAvx2(const PixelRows&, const PixelRows&, TapView, int, int, float*) {}
void VerticalPassAvx2(const PixelRows&, const PixelRows&, TapView, int, int) {}

#endif

}  // namespace pixtrel
