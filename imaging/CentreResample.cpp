#include "imaging/CentreResample.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <vector>

#include "concurrency/ParallelFor.h"
#include "imaging/CentreSpan.h"
#include "imaging/Kernels.h"

namespace pixtrel {
namespace {

// For each output position, the first source position it reads and its weights, in fixed point
// (14 bits) so the passes add integers. Each output's weights are padded with zeros to a whole
// number of vector lanes, so the pass across always adds the same number of products.
struct Taps {
  std::vector<int> first;
  std::vector<int> count;
  std::vector<std::int16_t> weights;  // count[i] weights for output i, from i * stride
  int stride = 0;
};

constexpr int kShift = 14;
// Weights come in whole groups of 8 (one 128-bit multiply-add): a 2.5x downscale's 17 taps cost
// 24 products instead of the 32 that groups of 16 would take.
constexpr int kLanes = 8;

Taps MakeTaps(int inSize, int outSize) {
  const double support = 3 * std::max(static_cast<double>(inSize) / outSize, 1.0);
  Taps taps;
  const int span = static_cast<int>(std::ceil(support)) * 2 + 1;
  taps.stride = (span + kLanes - 1) / kLanes * kLanes;
  taps.first.resize(outSize);
  taps.count.resize(outSize);
  taps.weights.assign(static_cast<std::size_t>(outSize) * taps.stride, 0);
  std::vector<double> w(span);
  for (int i = 0; i < outSize; ++i) {
    const CentreSpan at = CentreSpanOf(i, inSize, outSize);
    const int lo = at.first;
    const int n = std::min(at.end - lo, span);
    double sum = 0;
    for (int k = 0; k < n; ++k) {
      w[k] = CentreWeight(at, lo + k);
      sum += w[k];
    }
    std::int16_t* out = &taps.weights[static_cast<std::size_t>(i) * taps.stride];
    for (int k = 0; k < n; ++k) {
      out[k] = static_cast<std::int16_t>(std::lround(w[k] / (sum == 0 ? 1 : sum) * (1 << kShift)));
    }
    taps.first[i] = lo;
    taps.count[i] = std::max(n, 0);
  }
  return taps;
}

inline std::uint8_t Clamp(int value) {
  const int rounded = (value + (1 << (kShift - 1))) >> kShift;
  return static_cast<std::uint8_t>(std::clamp(rounded, 0, 255));
}

// One output row of the pass down: each byte the weighted sum of the same byte of count source
// rows. Samples and weights are 16-bit numbers with 32-bit products, two source rows a step:
// the form the vector units of every x86-64 multiply and add in one instruction.
void ColumnRowPortable(const std::uint8_t* const* rows, const std::int16_t* w, int count,
                       std::size_t rowBytes, std::uint8_t* out, std::vector<std::int32_t>& sums) {
  sums.assign(rowBytes, 0);
  std::int32_t* sum = sums.data();
  int k = 0;
  for (; k + 1 < count; k += 2) {
    const std::uint8_t* a = rows[k];
    const std::uint8_t* b = rows[k + 1];
    const std::int16_t wa = w[k], wb = w[k + 1];
    for (std::size_t i = 0; i < rowBytes; ++i)
      sum[i] += wa * static_cast<std::int16_t>(a[i]) + wb * static_cast<std::int16_t>(b[i]);
  }
  if (k < count) {
    const std::uint8_t* a = rows[k];
    const std::int16_t wa = w[k];
    for (std::size_t i = 0; i < rowBytes; ++i)
      sum[i] += wa * static_cast<std::int16_t>(a[i]);
  }
  for (std::size_t i = 0; i < rowBytes; ++i)
    out[i] = Clamp(sum[i]);
}

// One output row of the pass across, from the row's colours spread out into three planes (each
// padded with zeros by one weight stride): for each output pixel, three dot products of the
// same length.
void AcrossRowPortable(const std::int16_t* const planes[3], const Taps& across, int width,
                       std::uint8_t* out) {
  for (int x = 0; x < width; ++x) {
    const std::int16_t* w = &across.weights[static_cast<std::size_t>(x) * across.stride];
    const int first = across.first[x];
    for (int c = 0; c < 3; ++c) {
      const std::int16_t* p = planes[c] + first;
      std::int32_t sum = 0;
      for (int k = 0; k < across.stride; k += kLanes) {
        for (int j = 0; j < kLanes; ++j)
          sum += w[k + j] * p[k + j];
      }
      out[3 * x + c] = Clamp(sum);
    }
  }
}

#ifdef PIXTREL_HAVE_AVX2
// The same arithmetic on integers, so the same bytes, in wider registers.
PIXTREL_AVX2 inline __m256i Scaled(__m256i sums, __m256i half) {
  return _mm256_srai_epi32(_mm256_add_epi32(sums, half), kShift);
}

// The pass down 32 bytes at a time, the sums of each block in registers while the source rows
// stream past: bytes of two rows interleaved and widened to 16 bits, so that one multiply-add
// gives wa * a + wb * b for four bytes; unpacking and packing both stay within each 16-byte
// half, so the packed result comes out in the bytes' own order.
PIXTREL_AVX2 void ColumnRowAvx2(const std::uint8_t* const* rows, const std::int16_t* w, int count,
                                std::size_t rowBytes, std::uint8_t* out) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i half = _mm256_set1_epi32(1 << (kShift - 1));
  std::size_t i = 0;
  for (; i + 32 <= rowBytes; i += 32) {
    __m256i s0 = zero, s1 = zero, s2 = zero, s3 = zero;
    for (int k = 0; k < count; k += 2) {
      const bool pair = k + 1 < count;
      const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(rows[k] + i));
      const __m256i b =
          pair ? _mm256_loadu_si256(reinterpret_cast<const __m256i*>(rows[k + 1] + i)) : zero;
      const std::uint32_t wa = static_cast<std::uint16_t>(w[k]);
      const std::uint32_t wb = pair ? static_cast<std::uint16_t>(w[k + 1]) : 0;
      const __m256i weights = _mm256_set1_epi32(static_cast<int>(wa | wb << 16));
      const __m256i lo = _mm256_unpacklo_epi8(a, b), hi = _mm256_unpackhi_epi8(a, b);
      s0 = _mm256_add_epi32(s0, _mm256_madd_epi16(_mm256_unpacklo_epi8(lo, zero), weights));
      s1 = _mm256_add_epi32(s1, _mm256_madd_epi16(_mm256_unpackhi_epi8(lo, zero), weights));
      s2 = _mm256_add_epi32(s2, _mm256_madd_epi16(_mm256_unpacklo_epi8(hi, zero), weights));
      s3 = _mm256_add_epi32(s3, _mm256_madd_epi16(_mm256_unpackhi_epi8(hi, zero), weights));
    }
    // Saturating packs: the clamp to 0..255.
    const __m256i words0 = _mm256_packs_epi32(Scaled(s0, half), Scaled(s1, half));
    const __m256i words1 = _mm256_packs_epi32(Scaled(s2, half), Scaled(s3, half));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), _mm256_packus_epi16(words0, words1));
  }
  for (; i < rowBytes; ++i) {
    std::int32_t sum = 0;
    for (int k = 0; k < count; ++k)
      sum += w[k] * static_cast<std::int16_t>(rows[k][i]);
    out[i] = Clamp(sum);
  }
}

PIXTREL_AVX2 inline __m256i Load16(const std::int16_t* p) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}
PIXTREL_AVX2 inline __m128i Load8(const std::int16_t* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// The pass across: sixteen products of each colour plane a step, the three planes sharing each
// load of the weights, then the last eight, and the three sums added up together.
PIXTREL_AVX2 void AcrossRowAvx2(const std::int16_t* const planes[3], const Taps& across, int width,
                                std::uint8_t* out) {
  const int stride = across.stride;
  for (int x = 0; x < width; ++x) {
    const std::int16_t* w = &across.weights[static_cast<std::size_t>(x) * stride];
    const std::int16_t* p0 = planes[0] + across.first[x];
    const std::int16_t* p1 = planes[1] + across.first[x];
    const std::int16_t* p2 = planes[2] + across.first[x];
    __m256i s0 = _mm256_setzero_si256(), s1 = s0, s2 = s0;
    int k = 0;
    for (; k + 16 <= stride; k += 16) {
      const __m256i wv = Load16(w + k);
      s0 = _mm256_add_epi32(s0, _mm256_madd_epi16(wv, Load16(p0 + k)));
      s1 = _mm256_add_epi32(s1, _mm256_madd_epi16(wv, Load16(p1 + k)));
      s2 = _mm256_add_epi32(s2, _mm256_madd_epi16(wv, Load16(p2 + k)));
    }
    __m128i t0 = _mm_add_epi32(_mm256_castsi256_si128(s0), _mm256_extracti128_si256(s0, 1));
    __m128i t1 = _mm_add_epi32(_mm256_castsi256_si128(s1), _mm256_extracti128_si256(s1, 1));
    __m128i t2 = _mm_add_epi32(_mm256_castsi256_si128(s2), _mm256_extracti128_si256(s2, 1));
    if (k < stride) {
      const __m128i wv = Load8(w + k);
      t0 = _mm_add_epi32(t0, _mm_madd_epi16(wv, Load8(p0 + k)));
      t1 = _mm_add_epi32(t1, _mm_madd_epi16(wv, Load8(p1 + k)));
      t2 = _mm_add_epi32(t2, _mm_madd_epi16(wv, Load8(p2 + k)));
    }
    const __m128i sums = _mm_hadd_epi32(_mm_hadd_epi32(t0, t1), _mm_hadd_epi32(t2, t2));
    out[3 * x] = Clamp(_mm_cvtsi128_si32(sums));
    out[3 * x + 1] = Clamp(_mm_extract_epi32(sums, 1));
    out[3 * x + 2] = Clamp(_mm_extract_epi32(sums, 2));
  }
}
#endif

// The taps of the last few sizes this thread resampled between: a batch of pictures of one size
// works them out once (they take thousands of sines, as much as the pass itself on a small
// picture).
std::shared_ptr<const Taps> TapsFor(int inSize, int outSize) {
  struct Entry {
    int in = 0, out = 0;
    std::shared_ptr<const Taps> taps;
  };
  thread_local std::array<Entry, 4> recent;
  thread_local std::size_t next = 0;
  for (const Entry& e : recent) {
    if (e.taps && e.in == inSize && e.out == outSize) return e.taps;
  }
  Entry& e = recent[next++ % recent.size()];
  e = {inSize, outSize, std::make_shared<const Taps>(MakeTaps(inSize, outSize))};
  return e.taps;
}

// Rows per thread at the least: enough work for a hand-off to another thread to pay for itself.
int MinRows(std::size_t productsPerRow) {
  constexpr std::size_t kProductsPerPart = std::size_t{1} << 21;
  const std::size_t rows = kProductsPerPart / std::max<std::size_t>(productsPerRow, 1);
  return static_cast<int>(std::clamp<std::size_t>(rows, 16, 1 << 20));
}

}  // namespace

Bitmap24 CentreResample(const Bitmap24& source, int width, int height) {
  const int inWidth = source.width(), inHeight = source.height();
  const std::shared_ptr<const Taps> acrossTaps = TapsFor(inWidth, width);
  const std::shared_ptr<const Taps> downTaps = TapsFor(inHeight, height);
  const Taps& across = *acrossTaps;
  const Taps& down = *downTaps;
  bool wide = false;
#ifdef PIXTREL_HAVE_AVX2
  wide = UseAvx2Kernels();
#endif
  // Columns first, a downscale leaving fewer rows for the slower pass across; each output row
  // is taken down and then across while its intermediate row is still in the cache, so the
  // intermediate picture is never held whole.
  Bitmap24 target = Bitmap24::Uninitialised(width, height);
  const std::size_t rowBytes = static_cast<std::size_t>(inWidth) * 3;
  const std::size_t products =
      rowBytes * down.stride + static_cast<std::size_t>(width) * 3 * across.stride;
  ParallelFor(height, 1, MinRows(products), [&](int y0, int y1) {
    std::vector<const std::uint8_t*> rows;
    std::vector<std::int32_t> sums;
    std::vector<std::uint8_t> column(rowBytes);
    const std::size_t planeSize = static_cast<std::size_t>(inWidth) + across.stride;
    std::vector<std::int16_t> spread(3 * planeSize, 0);  // the padding stays zero
    const std::int16_t* const planes[3] = {spread.data(), spread.data() + planeSize,
                                           spread.data() + 2 * planeSize};
    for (int y = y0; y < y1; ++y) {
      rows.clear();
      for (int k = 0; k < down.count[y]; ++k)
        rows.push_back(source.row(down.first[y] + k));
      const std::int16_t* w = &down.weights[static_cast<std::size_t>(y) * down.stride];
      const std::uint8_t* in = column.data();
#ifdef PIXTREL_HAVE_AVX2
      if (wide)
        ColumnRowAvx2(rows.data(), w, down.count[y], rowBytes, column.data());
      else
#endif
        ColumnRowPortable(rows.data(), w, down.count[y], rowBytes, column.data(), sums);
      for (int x = 0; x < inWidth; ++x) {
        spread[x] = in[3 * x];
        spread[planeSize + x] = in[3 * x + 1];
        spread[2 * planeSize + x] = in[3 * x + 2];
      }
#ifdef PIXTREL_HAVE_AVX2
      if (wide) {
        AcrossRowAvx2(planes, across, width, target.row(y));
        continue;
      }
#endif
      AcrossRowPortable(planes, across, width, target.row(y));
    }
  });
  return target;
}

}  // namespace pixtrel
