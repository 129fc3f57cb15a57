#include "codecs/gif/GifAnimation.h"

#include <algorithm>
#include <climits>

#include "codecs/gif/GifFramePalette.h"
#include "codecs/gif/GifWriter.h"
#include "core/Errors.h"
#include "core/FastStretch.h"

namespace pixtrel {
namespace {

constexpr std::uint8_t kOpaqueFrom = 128;  // as BuildGifPalette
constexpr std::uint8_t kLeave = 1, kClear = 2;

// One frame's canvas as the GIF shows it: opaque pixels with their colours, the rest clear.
struct Shown {
  const Bitmap24* colours;
  const std::uint8_t* alpha;  // null: all opaque

  bool opaque(int x, int y) const {
    return !alpha || alpha[static_cast<std::size_t>(y) * colours->width() + x] >= kOpaqueFrom;
  }
  const std::uint8_t* colour(int x, int y) const {
    return colours->row(y) + static_cast<std::size_t>(x) * 3;
  }
};

Shown ShownOf(const AnimationFrame& frame) {
  const auto& alpha = frame.canvas.alpha;
  return Shown{&std::get<Bitmap24>(frame.canvas.raster), alpha ? alpha->data() : nullptr};
}

class Bounds {
 public:
  void add(int x, int y) {
    r_.left = std::min(r_.left, x);
    r_.top = std::min(r_.top, y);
    r_.right = std::max(r_.right, x + 1);
    r_.bottom = std::max(r_.bottom, y + 1);
  }
  void add(const Rect& r) {
    if (r.width() <= 0 || r.height() <= 0) return;
    add(r.left, r.top);
    add(r.right - 1, r.bottom - 1);
  }
  bool empty() const { return r_.right <= r_.left; }
  const Rect& rect() const { return r_; }

 private:
  Rect r_{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
};

bool Inside(const Rect& r, int x, int y) {
  return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

struct Placement {
  Rect rect;
  std::uint8_t disposal = kLeave;
};

// Where each frame is written and how it is disposed of (see EncodeGifAnimation).
std::vector<Placement> PlaceFrames(const AnimatedPicture& animation) {
  const int width = animation.width, height = animation.height;
  std::vector<Placement> placed(animation.frames.size());
  placed[0].rect = Rect{0, 0, width, height};
  for (std::size_t i = 1; i < animation.frames.size(); ++i) {
    const Shown before = ShownOf(animation.frames[i - 1]), now = ShownOf(animation.frames[i]);
    Bounds cleared;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        if (before.opaque(x, y) && !now.opaque(x, y)) cleared.add(x, y);
      }
    }
    Placement& previous = placed[i - 1];
    if (!cleared.empty()) {
      Bounds grown;
      grown.add(previous.rect);
      grown.add(cleared.rect());
      previous.rect = grown.rect();
      previous.disposal = kClear;
    }
    Bounds changed;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const bool wasOpaque =
            before.opaque(x, y) && !(previous.disposal == kClear && Inside(previous.rect, x, y));
        const bool isOpaque = now.opaque(x, y);
        if (wasOpaque != isOpaque ||
            (isOpaque && !std::equal(now.colour(x, y), now.colour(x, y) + 3, before.colour(x, y))))
          changed.add(x, y);
      }
    }
    placed[i].rect = changed.empty() ? Rect{0, 0, 1, 1} : changed.rect();
  }
  return placed;
}

// The part of the frame's canvas inside r, with its alpha plane (empty when opaque).
Bitmap24 Crop(const Shown& shown, const Rect& r, std::vector<std::uint8_t>& alpha) {
  Bitmap24 part = Bitmap24::Uninitialised(r.width(), r.height());
  for (int y = r.top; y < r.bottom; ++y) {
    std::copy_n(shown.colour(r.left, y), static_cast<std::size_t>(r.width()) * 3,
                part.row(y - r.top));
  }
  alpha.clear();
  if (shown.alpha) {
    alpha.reserve(static_cast<std::size_t>(r.width()) * r.height());
    for (int y = r.top; y < r.bottom; ++y) {
      const std::uint8_t* row = shown.alpha + static_cast<std::size_t>(y) * shown.colours->width();
      alpha.insert(alpha.end(), row + r.left, row + r.right);
    }
  }
  return part;
}

std::uint16_t Hundredths(int delayMs) {
  return static_cast<std::uint16_t>(std::clamp((delayMs + 5) / 10, 0, 0xFFFF));
}

bool AnyTransparent(const AnimatedPicture& animation) {
  return std::any_of(animation.frames.begin(), animation.frames.end(), [](const AnimationFrame& f) {
    return f.canvas.alpha && std::any_of(f.canvas.alpha->begin(), f.canvas.alpha->end(),
                                         [](std::uint8_t a) { return a < kOpaqueFrom; });
  });
}

// withTransparent: the frame's table gets a transparent entry even when none of its pixels is
// transparent. Readers that take a GIF's transparency from its first frame, or clear a disposed
// frame to its own transparent colour (else to the background colour), then play it as it is.
TGIFSubImage FrameOf(const AnimationFrame& frame, const Placement& placement,
                     bool withTransparent) {
  std::vector<std::uint8_t> alpha;
  const Bitmap24 part = Crop(ShownOf(frame), placement.rect, alpha);
  GifFrameColours colours =
      BuildGifPalette(part, alpha.empty() ? nullptr : alpha.data(), withTransparent);

  TGIFSubImage image;
  image.left = placement.rect.left;
  image.top = placement.rect.top;
  image.width = placement.rect.width();
  image.height = placement.rect.height();
  image.colorMap.colors = std::move(colours.indices.palette());
  image.pixels.assign(colours.indices.data(),
                      colours.indices.data() + colours.indices.pixelCount());
  TGIFGraphicControlExtension control;
  control.packedFields = static_cast<std::uint8_t>(placement.disposal << 2);
  if (colours.transparentIndex >= 0) {
    control.packedFields |= 1;
    control.transparentIndex = static_cast<std::uint8_t>(colours.transparentIndex);
  }
  control.delay = Hundredths(frame.delayMs);
  image.extensions.push_back(control);
  return image;
}

}  // namespace

Bytes EncodeGifAnimation(const AnimatedPicture& animation) {
  TGIFImage gif;
  if (animation.frames.empty()) return EncodeGif(gif);  // "Unsupported GIF version"
  CheckAnimationFrames(animation);
  if (animation.width > 0xFFFF || animation.height > 0xFFFF)
    throw EGIFError("Picture too large for a GIF file");
  gif.header.width = animation.width;
  gif.header.height = animation.height;
  const std::vector<Placement> placed = PlaceFrames(animation);
  const bool transparent = AnyTransparent(animation);
  gif.images.reserve(animation.frames.size());
  for (std::size_t i = 0; i < animation.frames.size(); ++i) {
    gif.images.push_back(FrameOf(animation.frames[i], placed[i],
                                 (i == 0 && transparent) || placed[i].disposal == kClear));
  }
  if (animation.plays != 1) {
    TGIFAppExtNSLoop loop;
    loop.loops = static_cast<std::uint16_t>(
        animation.plays == 0 ? 0 : std::min(animation.plays - 1, 0xFFFF));
    gif.images.front().extensions.insert(gif.images.front().extensions.begin(), loop);
  }
  return EncodeGif(gif);
}

}  // namespace pixtrel
