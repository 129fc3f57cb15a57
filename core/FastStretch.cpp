#include "core/FastStretch.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace pixtrel {
namespace {

struct ClippedRect {
  int x0, x1, y0, y1;  // target pixels actually written
};

bool Clip(const Rect& rect, const Bitmap24& target, int sourceW, int sourceH, ClippedRect& out) {
  if (sourceW <= 0 || sourceH <= 0 || rect.width() <= 0 || rect.height() <= 0) return false;
  out.x0 = std::max(rect.left, 0);
  out.x1 = std::min(rect.right, target.width());
  out.y0 = std::max(rect.top, 0);
  out.y1 = std::min(rect.bottom, target.height());
  return out.x0 < out.x1 && out.y0 < out.y1;
}

std::vector<int> ColumnMap(const ClippedRect& c, const Rect& rect, int sourceW) {
  std::vector<int> map(static_cast<std::size_t>(c.x1 - c.x0));
  for (int x = c.x0; x < c.x1; ++x) {
    map[x - c.x0] = StretchSourceIndex(x - rect.left, sourceW, rect.width());
  }
  return map;
}

}  // namespace

void FastStretch(const Bitmap24& source, Bitmap24& target, const Rect& rect) {
  ClippedRect c;
  if (!Clip(rect, target, source.width(), source.height(), c)) return;
  const bool sameWidth = rect.width() == source.width();
  const std::vector<int> map = ColumnMap(c, rect, source.width());
  for (int y = c.y0; y < c.y1; ++y) {
    const std::uint8_t* in =
        source.row(StretchSourceIndex(y - rect.top, source.height(), rect.height()));
    std::uint8_t* out = target.row(y) + static_cast<std::size_t>(c.x0) * 3;
    if (sameWidth) {
      std::memcpy(out, in + static_cast<std::size_t>(c.x0 - rect.left) * 3,
                  static_cast<std::size_t>(c.x1 - c.x0) * 3);
      continue;
    }
    for (int sx : map) {
      const std::uint8_t* p = in + static_cast<std::size_t>(sx) * 3;
      out[0] = p[0];
      out[1] = p[1];
      out[2] = p[2];
      out += 3;
    }
  }
}

void FastStretch(const Raster& source, Bitmap24& target, const Rect& rect) {
  if (const auto* b = std::get_if<Bitmap24>(&source)) return FastStretch(*b, target, rect);
  const PaletteBitmap& p = std::get<PaletteBitmap>(source);
  ClippedRect c;
  if (!Clip(rect, target, p.width(), p.height(), c)) return;
  const BgrLookup bgr = BgrLookupOf(p.palette());
  const std::vector<int> map = ColumnMap(c, rect, p.width());
  for (int y = c.y0; y < c.y1; ++y) {
    const std::uint8_t* in = p.row(StretchSourceIndex(y - rect.top, p.height(), rect.height()));
    std::uint8_t* out = target.row(y) + static_cast<std::size_t>(c.x0) * 3;
    for (int sx : map) {
      const std::uint8_t* colour = &bgr[in[sx] * 3];
      out[0] = colour[0];
      out[1] = colour[1];
      out[2] = colour[2];
      out += 3;
    }
  }
}

}  // namespace pixtrel
