#pragma once
// Red, green and blue samples turned into the planes the HEIF encoders take, here rather than in
// libheif so that every machine writes the same bytes and the conversion costs little:
//   - full-range BT.601 YCbCr (as phones and avifenc write photos), the chroma at half the
//     resolution both ways (4:2:0), each chroma sample that of the mean of the up to four pixels
//     it covers;
//   - for lossless files, red, green and blue kept exactly at full resolution under the identity
//     matrix (Y = G, Cb = B, Cr = R).
// Samples of 8 bits go into 8-bit planes; 10-bit samples into 16-bit words (libheif's layout).
#include <cstddef>
#include <cstdint>

#include "codecs/heif/HeifOutput.h"

namespace pixtrel {

// One pixel's full-range BT.601 values at `bits` bits (8 or 10), exactly the defining formula
//   Y = 0.299 R + 0.587 G + 0.114 B,  Cb = (B - Y) / 1.772 + H,  Cr = (R - Y) / 1.402 + H
// (H = 2^(bits-1)) rounded half up, in integers (the coefficients are exact decimals), clamped
// to the range. The chroma is given the sums of 1, 2 or 4 pixels' samples (`count` of them) and
// gives the value of their mean.
constexpr int LumaOf(int r, int g, int b) {
  return (299 * r + 587 * g + 114 * b + 500) / 1000;
}
template <int Bits>
constexpr int ChromaBlueOf(int sumR, int sumG, int sumB, int count) {
  // Scaled to four pixels, so that the divisor is a constant; the numerator is never negative.
  const int k = 4 / count;
  const int value =
      (k * (886 * sumB - 299 * sumR - 587 * sumG) + 4 * (886 << Bits) + 4 * 886) / (4 * 1772);
  return value > (1 << Bits) - 1 ? (1 << Bits) - 1 : value;
}
template <int Bits>
constexpr int ChromaRedOf(int sumR, int sumG, int sumB, int count) {
  const int k = 4 / count;
  const int value =
      (k * (701 * sumR - 587 * sumG - 114 * sumB) + 4 * (701 << Bits) + 4 * 701) / (4 * 1402);
  return value > (1 << Bits) - 1 ? (1 << Bits) - 1 : value;
}

// A plane to fill: its first sample and the bytes from one row to the next.
struct PlaneView {
  std::uint8_t* data = nullptr;
  std::ptrdiff_t stride = 0;
};

// The source: `height` rows of `width` pixels, each row read through `row`, which gives the
// row's samples with `step` samples from one pixel to the next and red, green and blue at the
// offsets given. 8-bit sources are std::uint8_t, 10-bit ones std::uint16_t (values 0..1023).
template <typename Sample>
struct RgbRows {
  int width = 0;
  int height = 0;
  int step = 3;
  int red = 0, green = 1, blue = 2;
  const void* context = nullptr;
  const Sample* (*row)(const void* context, int y) = nullptr;
};

// Full-range BT.601 4:2:0: y is width x height, cb and cr (width + 1) / 2 x (height + 1) / 2.
void FillYcbcr420(const RgbRows<std::uint8_t>& source, PlaneView y, PlaneView cb, PlaneView cr);
void FillYcbcr420(const RgbRows<std::uint16_t>& source, PlaneView y, PlaneView cb, PlaneView cr);

// Identity 4:4:4: every plane width x height.
void FillIdentity444(const RgbRows<std::uint8_t>& source, PlaneView y, PlaneView cb, PlaneView cr);
void FillIdentity444(const RgbRows<std::uint16_t>& source, PlaneView y, PlaneView cb, PlaneView cr);

// The writers' samples in planes of their depth (8 bits, or 10 for deep samples): 4:2:0 YCbCr, or
// the identity 4:4:4 when `identity`; the alpha plane (full size) when the samples have one.
void FillPlanes(const HeifSamples& samples, bool identity, PlaneView y, PlaneView cb, PlaneView cr,
                PlaneView alpha);

}  // namespace pixtrel
