#include "imaging/DeepGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "core/Errors.h"
#include "imaging/CentreSpan.h"

namespace pixtrel {
namespace {

std::size_t Index(int x, int y, int width, int channels) {
  return (static_cast<std::size_t>(y) * width + x) * channels;
}

DeepSamples Blank(int width, int height, int channels) {
  DeepSamples out;
  out.width = width;
  out.height = height;
  out.channels = channels;
  out.samples.resize(static_cast<std::size_t>(width) * height * channels);
  return out;
}

// For each output position, the first source position it reads and its weights.
struct Taps {
  std::vector<int> first;
  std::vector<std::vector<double>> weights;
};

Taps MakeTaps(int inSize, int outSize) {
  Taps taps;
  taps.first.resize(outSize);
  taps.weights.resize(outSize);
  for (int i = 0; i < outSize; ++i) {
    const CentreSpan at = CentreSpanOf(i, inSize, outSize);
    const int lo = at.first;
    std::vector<double>& w = taps.weights[i];
    double sum = 0;
    for (int k = lo; k < at.end; ++k) {
      w.push_back(CentreWeight(at, k));
      sum += w.back();
    }
    if (sum != 0) {
      for (double& v : w)
        v /= sum;
    }
    taps.first[i] = lo;
  }
  return taps;
}

std::uint16_t Sample(double value) {
  return static_cast<std::uint16_t>(std::clamp(std::lround(value), 0L, 65535L));
}

}  // namespace

DeepSamples TurnDeep(const DeepSamples& deep, Orientation orientation) {
  if (orientation.upright()) return deep;
  const int w = deep.width, h = deep.height, ch = deep.channels;
  const bool swaps = orientation.swapsSides();
  DeepSamples out = Blank(swaps ? h : w, swaps ? w : h, ch);
  for (int y = 0; y < out.height; ++y) {
    for (int x = 0; x < out.width; ++x) {
      // Where the pixel was before the turn, on the mirrored picture.
      int mx = x, my = y;
      switch (orientation.clockwiseQuarters % 4) {
        case 1:
          mx = y, my = h - 1 - x;
          break;
        case 2:
          mx = w - 1 - x, my = h - 1 - y;
          break;
        case 3:
          mx = w - 1 - y, my = x;
          break;
        default:
          break;
      }
      if (orientation.mirror) mx = w - 1 - mx;
      std::memcpy(&out.samples[Index(x, y, out.width, ch)], &deep.samples[Index(mx, my, w, ch)],
                  sizeof(std::uint16_t) * ch);
    }
  }
  return out;
}

DeepSamples CropDeep(const DeepSamples& deep, int left, int top, int width, int height) {
  if (left < 0 || top < 0 || width < 1 || height < 1 || left + width > deep.width ||
      top + height > deep.height) {
    throw EBitmapError("Bitmap image is not valid");
  }
  DeepSamples out = Blank(width, height, deep.channels);
  for (int y = 0; y < height; ++y) {
    std::memcpy(&out.samples[Index(0, y, width, deep.channels)],
                &deep.samples[Index(left, top + y, deep.width, deep.channels)],
                sizeof(std::uint16_t) * width * deep.channels);
  }
  return out;
}

DeepSamples PadDeep(const DeepSamples& deep, int canvasWidth, int canvasHeight, int left, int top,
                    std::uint32_t colour) {
  if (left < 0 || top < 0 || left + deep.width > canvasWidth || top + deep.height > canvasHeight)
    throw EBitmapError("Bitmap image is not valid");
  const int ch = deep.channels;
  DeepSamples out = Blank(canvasWidth, canvasHeight, ch);
  const std::uint16_t fill[4] = {static_cast<std::uint16_t>(((colour >> 16) & 0xFF) * 257),
                                 static_cast<std::uint16_t>(((colour >> 8) & 0xFF) * 257),
                                 static_cast<std::uint16_t>((colour & 0xFF) * 257), 65535};
  for (std::size_t i = 0; i < out.samples.size(); i += ch)
    std::memcpy(&out.samples[i], fill, sizeof(std::uint16_t) * ch);
  for (int y = 0; y < deep.height; ++y) {
    std::memcpy(&out.samples[Index(left, top + y, canvasWidth, ch)],
                &deep.samples[Index(0, y, deep.width, ch)],
                sizeof(std::uint16_t) * deep.width * ch);
  }
  return out;
}

DeepSamples ResampleDeep(const DeepSamples& deep, int width, int height) {
  if (width < 1 || height < 1 || deep.width < 1 || deep.height < 1)
    throw EBitmapError("Bitmap image is not valid");
  const int ch = deep.channels;
  const bool alpha = ch == 4;
  const Taps across = MakeTaps(deep.width, width);
  const Taps down = MakeTaps(deep.height, height);
  DeepSamples out = Blank(width, height, ch);
  // Each output row: the source rows it reads taken down into one row (colours premultiplied by
  // their opacity), then across.
  std::vector<double> column(static_cast<std::size_t>(deep.width) * ch);
  for (int y = 0; y < height; ++y) {
    std::fill(column.begin(), column.end(), 0.0);
    const std::vector<double>& wy = down.weights[y];
    for (std::size_t k = 0; k < wy.size(); ++k) {
      const std::uint16_t* in =
          &deep.samples[Index(0, down.first[y] + static_cast<int>(k), deep.width, ch)];
      for (int x = 0; x < deep.width; ++x, in += ch) {
        double* sum = &column[static_cast<std::size_t>(x) * ch];
        const double opacity = alpha ? in[3] / 65535.0 : 1.0;
        for (int c = 0; c < 3; ++c)
          sum[c] += wy[k] * in[c] * opacity;
        if (alpha) sum[3] += wy[k] * in[3];
      }
    }
    std::uint16_t* row = &out.samples[Index(0, y, width, ch)];
    for (int x = 0; x < width; ++x, row += ch) {
      double sum[4] = {0, 0, 0, 0};
      const std::vector<double>& wx = across.weights[x];
      const double* in = &column[static_cast<std::size_t>(across.first[x]) * ch];
      for (std::size_t k = 0; k < wx.size(); ++k, in += ch) {
        for (int c = 0; c < ch; ++c)
          sum[c] += wx[k] * in[c];
      }
      const double opacity = alpha ? sum[3] / 65535.0 : 1.0;
      for (int c = 0; c < 3; ++c)
        row[c] = opacity > 0 ? Sample(sum[c] / opacity) : 0;
      if (alpha) row[3] = Sample(sum[3]);
    }
  }
  return out;
}

}  // namespace pixtrel
