#include "codecs/heif/YcbcrPlanes.h"

#include <algorithm>
#include <vector>

#include "core/DeepSamples.h"

namespace pixtrel {
namespace {

template <typename Out>
Out* RowOf(const PlaneView& plane, int y) {
  return reinterpret_cast<Out*>(plane.data + plane.stride * y);
}

// 8-bit samples go to 8-bit planes, 10-bit ones to 16-bit words.
template <typename Sample>
constexpr int kBits = sizeof(Sample) == 1 ? 8 : 10;

template <typename Sample>
void Subsampled(const RgbRows<Sample>& source, PlaneView yPlane, PlaneView cbPlane,
                PlaneView crPlane) {
  constexpr int bits = kBits<Sample>;
  const int width = source.width, step = source.step;
  const int red = source.red, green = source.green, blue = source.blue;
  for (int y = 0; y < source.height; y += 2) {
    const bool pair = y + 1 < source.height;
    const Sample* rows[2] = {source.row(source.context, y),
                             pair ? source.row(source.context, y + 1) : nullptr};
    Sample* luma[2] = {RowOf<Sample>(yPlane, y), pair ? RowOf<Sample>(yPlane, y + 1) : nullptr};
    Sample* cb = RowOf<Sample>(cbPlane, y / 2);
    Sample* cr = RowOf<Sample>(crPlane, y / 2);
    const int lines = pair ? 2 : 1;
    for (int x = 0; x < width; x += 2) {
      const int columns = x + 1 < width ? 2 : 1;
      int sumR = 0, sumG = 0, sumB = 0;
      for (int line = 0; line < lines; ++line) {
        for (int c = 0; c < columns; ++c) {
          const Sample* pixel = rows[line] + static_cast<std::ptrdiff_t>(x + c) * step;
          const int r = pixel[red], g = pixel[green], b = pixel[blue];
          luma[line][x + c] = static_cast<Sample>(LumaOf(r, g, b));
          sumR += r;
          sumG += g;
          sumB += b;
        }
      }
      const int count = lines * columns;
      cb[x / 2] = static_cast<Sample>(ChromaBlueOf<bits>(sumR, sumG, sumB, count));
      cr[x / 2] = static_cast<Sample>(ChromaRedOf<bits>(sumR, sumG, sumB, count));
    }
  }
}

template <typename Sample>
void Identity(const RgbRows<Sample>& source, PlaneView yPlane, PlaneView cbPlane,
              PlaneView crPlane) {
  for (int y = 0; y < source.height; ++y) {
    const Sample* in = source.row(source.context, y);
    Sample* g = RowOf<Sample>(yPlane, y);
    Sample* b = RowOf<Sample>(cbPlane, y);
    Sample* r = RowOf<Sample>(crPlane, y);
    for (int x = 0; x < source.width; ++x, in += source.step) {
      g[x] = in[source.green];
      b[x] = in[source.blue];
      r[x] = in[source.red];
    }
  }
}

// The 8-bit picture's rows as they are (blue, green, red), or the deep samples brought to 10 bits.
const std::uint8_t* BitmapRow(const void* context, int y) {
  return static_cast<const Bitmap24*>(context)->row(y);
}
struct TenBitRows {
  const std::uint16_t* samples;
  std::size_t rowLength;
};
const std::uint16_t* TenBitRow(const void* context, int y) {
  const auto* rows = static_cast<const TenBitRows*>(context);
  return rows->samples + rows->rowLength * static_cast<std::size_t>(y);
}

template <typename Sample>
void FillColour(const RgbRows<Sample>& rows, bool identity, PlaneView y, PlaneView cb,
                PlaneView cr) {
  if (identity) {
    FillIdentity444(rows, y, cb, cr);
  } else {
    FillYcbcr420(rows, y, cb, cr);
  }
}

}  // namespace

void FillPlanes(const HeifSamples& samples, bool identity, PlaneView y, PlaneView cb, PlaneView cr,
                PlaneView alpha) {
  const int width = samples.width(), height = samples.height();
  if (const DeepSamples* deep = samples.deep()) {
    std::vector<std::uint16_t> tenBits(deep->samples.size());
    std::transform(deep->samples.begin(), deep->samples.end(), tenBits.begin(), TenBitSample);
    const TenBitRows context{tenBits.data(), static_cast<std::size_t>(width) * deep->channels};
    RgbRows<std::uint16_t> rows;
    rows.width = width;
    rows.height = height;
    rows.step = deep->channels;
    rows.context = &context;
    rows.row = TenBitRow;
    FillColour(rows, identity, y, cb, cr);
    if (deep->channels == 4 && alpha.data) {
      for (int row = 0; row < height; ++row) {
        auto* out = reinterpret_cast<std::uint16_t*>(alpha.data + alpha.stride * row);
        const std::uint16_t* in = TenBitRow(&context, row) + 3;
        for (int x = 0; x < width; ++x, in += 4)
          out[x] = *in;
      }
    }
    return;
  }
  RgbRows<std::uint8_t> rows;
  rows.width = width;
  rows.height = height;
  rows.red = 2;
  rows.blue = 0;
  rows.context = &samples.bitmap();
  rows.row = BitmapRow;
  FillColour(rows, identity, y, cb, cr);
  if (samples.hasAlpha() && alpha.data) {
    const std::uint8_t* in = samples.alpha().data();
    for (int row = 0; row < height; ++row, in += width)
      std::copy(in, in + width, alpha.data + alpha.stride * row);
  }
}

void FillYcbcr420(const RgbRows<std::uint8_t>& source, PlaneView y, PlaneView cb, PlaneView cr) {
  Subsampled(source, y, cb, cr);
}
void FillYcbcr420(const RgbRows<std::uint16_t>& source, PlaneView y, PlaneView cb, PlaneView cr) {
  Subsampled(source, y, cb, cr);
}
void FillIdentity444(const RgbRows<std::uint8_t>& source, PlaneView y, PlaneView cb, PlaneView cr) {
  Identity(source, y, cb, cr);
}
void FillIdentity444(const RgbRows<std::uint16_t>& source, PlaneView y, PlaneView cb,
                     PlaneView cr) {
  Identity(source, y, cb, cr);
}

}  // namespace pixtrel
