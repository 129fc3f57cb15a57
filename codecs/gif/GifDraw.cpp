#include "codecs/gif/GifDraw.h"

#include <algorithm>
#include <array>
#include <climits>
#include <vector>

#include "core/Errors.h"

namespace pixtrel {
namespace {

using ColourTable = BgrLookup;

ColourTable BgrTable(const TGIFColorMap& map) {
  if (map.empty()) throw EGIFError("No global or local color table defined");
  return BgrLookupOf(map.colors);
}

// num / den rounded to the nearest integer, halves away from zero; den > 0.
long long RoundDiv(long long num, long long den) {
  return num >= 0 ? (2 * num + den) / (2 * den) : -((-2 * num + den) / (2 * den));
}

// Which part of the frame is drawn, and where: the frame clipped to the logical screen, and
// that part's rectangle scaled from screen to rect.
struct Placement {
  int sx0 = 0, sy0 = 0, sw = 0, sh = 0;  // source part, in frame pixels
  Rect to;                               // where it lands, before clipping to the target
  int x0 = 0, x1 = 0, y0 = 0, y1 = 0;    // target pixels written
};

bool Place(const TGIFImage& picture, const TGIFSubImage& frame, const Rect& rect,
           const Bitmap24& target, Placement& p) {
  const long long sw = picture.width(), sh = picture.height();
  const int left = std::max(frame.left, 0), top = std::max(frame.top, 0);
  const int right = static_cast<int>(std::min<long long>(frame.left + frame.width, sw));
  const int bottom = static_cast<int>(std::min<long long>(frame.top + frame.height, sh));
  if (left >= right || top >= bottom || rect.width() <= 0 || rect.height() <= 0) return false;
  p.sx0 = left - frame.left;
  p.sy0 = top - frame.top;
  p.sw = right - left;
  p.sh = bottom - top;
  p.to.left = static_cast<int>(rect.left + RoundDiv(1LL * left * rect.width(), sw));
  p.to.top = static_cast<int>(rect.top + RoundDiv(1LL * top * rect.height(), sh));
  p.to.right = static_cast<int>(rect.left + RoundDiv(1LL * right * rect.width(), sw));
  p.to.bottom = static_cast<int>(rect.top + RoundDiv(1LL * bottom * rect.height(), sh));
  p.x0 = std::max(p.to.left, 0);
  p.x1 = std::min(p.to.right, target.width());
  p.y0 = std::max(p.to.top, 0);
  p.y1 = std::min(p.to.bottom, target.height());
  return p.to.width() > 0 && p.to.height() > 0 && p.x0 < p.x1 && p.y0 < p.y1;
}

// Every target pixel takes the one source pixel under it; pixels carrying skipIndex (-1: none)
// leave the target as it is.
void DrawPicked(const TGIFSubImage& frame, const ColourTable& bgr, const Placement& p,
                Bitmap24& target, int skipIndex) {
  std::vector<std::size_t> columns(static_cast<std::size_t>(p.x1 - p.x0));
  for (int x = p.x0; x < p.x1; ++x) {
    columns[x - p.x0] =
        static_cast<std::size_t>(p.sx0 + StretchSourceIndex(x - p.to.left, p.sw, p.to.width()));
  }
  for (int y = p.y0; y < p.y1; ++y) {
    const int sy = p.sy0 + StretchSourceIndex(y - p.to.top, p.sh, p.to.height());
    const std::uint8_t* in = frame.pixels.data() + static_cast<std::size_t>(sy) * frame.width;
    std::uint8_t* out = target.row(y) + static_cast<std::size_t>(p.x0) * 3;
    for (std::size_t sx : columns) {
      const int index = in[sx];
      if (index != skipIndex) {
        const std::uint8_t* c = &bgr[index * 3];
        out[0] = c[0];
        out[1] = c[1];
        out[2] = c[2];
      }
      out += 3;
    }
  }
}

// For target positions [from, to) of a run of targetLen pixels: the first and last of the
// sourceLen source pixels that fall on each. Shrinking, a source pixel falls on the target
// pixel its centre lies in; enlarging, a target pixel has the one source pixel the stretch picks.
void SourceSpans(int sourceLen, int targetLen, int from, int to, std::vector<int>& first,
                 std::vector<int>& last) {
  const std::size_t n = static_cast<std::size_t>(to - from);
  first.assign(n, INT_MAX);
  last.assign(n, -1);
  if (targetLen >= sourceLen) {
    for (int t = from; t < to; ++t)
      first[t - from] = last[t - from] = StretchSourceIndex(t, sourceLen, targetLen);
    return;
  }
  for (int s = 0; s < sourceLen; ++s) {
    const int t = static_cast<int>((2LL * s + 1) * targetLen / (2LL * sourceLen));
    if (t < from || t >= to) continue;
    first[t - from] = std::min(first[t - from], s);
    last[t - from] = s;
  }
}

// A scaled transparent frame: the target is cleared to black where any source pixel falling
// on it is opaque, then ORed with the AND of those pixels' colours, transparent ones black.
void DrawAndCombined(const TGIFSubImage& frame, const ColourTable& bgr, const Placement& p,
                     Bitmap24& target, int transparentIndex) {
  std::vector<int> colFirst, colLast, rowFirst, rowLast;
  SourceSpans(p.sw, p.to.width(), p.x0 - p.to.left, p.x1 - p.to.left, colFirst, colLast);
  SourceSpans(p.sh, p.to.height(), p.y0 - p.to.top, p.y1 - p.to.top, rowFirst, rowLast);
  for (int y = p.y0; y < p.y1; ++y) {
    const int r0 = p.sy0 + rowFirst[y - p.y0], r1 = p.sy0 + rowLast[y - p.y0];
    std::uint8_t* out = target.row(y) + static_cast<std::size_t>(p.x0) * 3;
    for (int x = p.x0; x < p.x1; ++x, out += 3) {
      const int c0 = p.sx0 + colFirst[x - p.x0], c1 = p.sx0 + colLast[x - p.x0];
      bool anyOpaque = false;
      std::uint8_t b = 0xFF, g = 0xFF, r = 0xFF;
      for (int sy = r0; sy <= r1; ++sy) {
        const std::uint8_t* in = frame.pixels.data() + static_cast<std::size_t>(sy) * frame.width;
        for (int sx = c0; sx <= c1; ++sx) {
          const int index = in[sx];
          if (index == transparentIndex) {
            b = g = r = 0;
          } else {
            anyOpaque = true;
            b &= bgr[index * 3];
            g &= bgr[index * 3 + 1];
            r &= bgr[index * 3 + 2];
          }
        }
      }
      if (!anyOpaque) continue;
      out[0] = b;
      out[1] = g;
      out[2] = r;
    }
  }
}

bool CarriesIndex(const TGIFSubImage& frame, int index) {
  return std::find(frame.pixels.begin(), frame.pixels.end(), static_cast<std::uint8_t>(index)) !=
         frame.pixels.end();
}

// Draws one frame scaled from the logical screen onto rect.
void DrawFrame(const TGIFImage& picture, const TGIFSubImage& frame, Bitmap24& target,
               const Rect& rect, bool honourTransparency) {
  if (frame.empty() || frame.pixels.size() != static_cast<std::size_t>(frame.width) * frame.height)
    return;
  const ColourTable bgr = BgrTable(picture.ActiveColorMap(frame));
  Placement p;
  if (!Place(picture, frame, rect, target, p)) return;
  const int transparent = honourTransparency ? frame.transparentIndex() : -1;
  if (transparent < 0 || !CarriesIndex(frame, transparent)) {
    DrawPicked(frame, bgr, p, target, -1);
  } else if (p.to.width() == p.sw && p.to.height() == p.sh) {
    DrawPicked(frame, bgr, p, target, transparent);
  } else {
    DrawAndCombined(frame, bgr, p, target, transparent);
  }
}

}  // namespace

void DrawGifFrame(const TGIFImage& picture, Bitmap24& target, const Rect& rect) {
  if (picture.images.empty()) return;
  const TGIFSubImage& frame = picture.images.front();
  if (picture.images.size() == 1) {
    DrawFrame(picture, frame, target, rect, true);
    return;
  }
  if (frame.empty()) return;
  Bitmap24 screen(picture.width(), picture.height());
  DrawFrame(picture, frame, screen, Rect{0, 0, picture.width(), picture.height()}, true);
  FastStretch(screen, target, rect);
}

void DrawGifFrameOpaque(const TGIFImage& picture, Bitmap24& target) {
  if (picture.images.empty()) return;
  DrawFrame(picture, picture.images.front(), target, Rect{0, 0, picture.width(), picture.height()},
            false);
}

}  // namespace pixtrel
