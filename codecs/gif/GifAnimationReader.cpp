#include "codecs/gif/GifAnimation.h"

#include <algorithm>
#include <string>

#include "codecs/gif/GifReader.h"
#include "core/Errors.h"
#include "core/FastStretch.h"
#include "core/Limits.h"

namespace pixtrel {
namespace {

enum class Disposal { Keep, Clear, Restore };

Disposal DisposalOf(const TGIFSubImage& frame) {
  const TGIFGraphicControlExtension* control = frame.graphicControl();
  const int method = control ? (control->packedFields >> 2) & 7 : 0;
  if (method == 2) return Disposal::Clear;
  if (method == 3) return Disposal::Restore;
  return Disposal::Keep;
}

// Plays of the whole animation from the first loop extension, as AnimatedPicture counts them.
int PlaysOf(const TGIFImage& gif) {
  for (const TGIFSubImage& frame : gif.images) {
    for (const TGIFExtension& e : frame.extensions) {
      if (const auto* loop = std::get_if<TGIFAppExtNSLoop>(&e))
        return loop->loops == 0 ? 0 : loop->loops + 1;
    }
  }
  return 1;
}

// The canvas being played: colours and opacity, every pixel opaque or transparent.
struct Canvas {
  Bitmap24 colours;
  std::vector<std::uint8_t> alpha;
};

// The part of the frame that lies on the screen, in screen pixels.
Rect Visible(const TGIFSubImage& frame, int width, int height) {
  Rect r;
  r.left = std::clamp(frame.left, 0, width);
  r.top = std::clamp(frame.top, 0, height);
  r.right = static_cast<int>(std::clamp<long long>(1LL * frame.left + frame.width, r.left, width));
  r.bottom = static_cast<int>(std::clamp<long long>(1LL * frame.top + frame.height, r.top, height));
  return r;
}

void Draw(const TGIFImage& gif, const TGIFSubImage& frame, const Rect& on, Canvas& canvas) {
  if (on.width() <= 0 || on.height() <= 0) return;
  const TGIFColorMap& table = gif.ActiveColorMap(frame);
  if (table.empty()) throw EGIFError("No global or local color table defined");
  const BgrLookup bgr = BgrLookupOf(table.colors);
  const int transparent = frame.transparentIndex();
  const int width = canvas.colours.width();
  for (int y = on.top; y < on.bottom; ++y) {
    const std::uint8_t* in = frame.pixels.data() +
                             static_cast<std::size_t>(y - frame.top) * frame.width +
                             (on.left - frame.left);
    std::uint8_t* out = canvas.colours.row(y) + static_cast<std::size_t>(on.left) * 3;
    std::uint8_t* a = canvas.alpha.data() + static_cast<std::size_t>(y) * width + on.left;
    for (int x = on.left; x < on.right; ++x, ++in, out += 3, ++a) {
      if (*in == transparent) continue;
      const std::uint8_t* c = &bgr[*in * 3];
      out[0] = c[0];
      out[1] = c[1];
      out[2] = c[2];
      *a = 255;
    }
  }
}

void Clear(const Rect& r, Canvas& canvas) {
  const int width = canvas.colours.width();
  for (int y = r.top; y < r.bottom; ++y) {
    std::fill_n(canvas.colours.row(y) + static_cast<std::size_t>(r.left) * 3,
                static_cast<std::size_t>(r.width()) * 3, std::uint8_t{0});
    std::fill_n(canvas.alpha.data() + static_cast<std::size_t>(y) * width + r.left,
                static_cast<std::size_t>(r.width()), std::uint8_t{0});
  }
}

AnimationFrame Snapshot(const Canvas& canvas, const TGIFSubImage& frame) {
  AnimationFrame shown;
  shown.canvas.raster = canvas.colours;
  shown.canvas.alpha = canvas.alpha;
  DropOpaqueAlpha(shown.canvas);
  const TGIFGraphicControlExtension* control = frame.graphicControl();
  shown.delayMs = control ? control->delay * 10 : 0;
  return shown;
}

}  // namespace

AnimatedPicture ComposeGifAnimation(const TGIFImage& gif, std::int64_t dataBytes) {
  if (gif.images.empty()) throw EGIFError("GIF file has no frames");
  const int width = gif.width(), height = gif.height();
  if (width == 0 || height == 0) throw EGIFError("GIF screen is empty");
  CheckAnimationSize(width, height, static_cast<std::int64_t>(gif.images.size()), dataBytes);

  AnimatedPicture animation;
  animation.width = width;
  animation.height = height;
  animation.plays = PlaysOf(gif);
  animation.frames.reserve(gif.images.size());
  Canvas canvas{Bitmap24(width, height, 0),
                std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height, 0)};
  for (const TGIFSubImage& frame : gif.images) {
    const bool whole = frame.pixels.size() == static_cast<std::size_t>(frame.width) * frame.height;
    const Rect on = whole ? Visible(frame, width, height) : Rect{};
    const Disposal disposal = DisposalOf(frame);
    Canvas before;
    if (disposal == Disposal::Restore) before = canvas;
    Draw(gif, frame, on, canvas);
    animation.frames.push_back(Snapshot(canvas, frame));
    if (disposal == Disposal::Clear) Clear(on, canvas);
    if (disposal == Disposal::Restore) canvas = std::move(before);
  }
  return animation;
}

AnimatedPicture DecodeGifAnimation(std::span<const std::uint8_t> bytes) {
  const TGIFImage gif = DecodeGif(bytes);
  if (gif.framesLeftOut) {
    throw Exception(gif.images.size() >= kMaxGifFrames
                        ? "Picture too large: more than " + std::to_string(kMaxGifFrames) +
                              " frames"
                        : "Picture too large: more than " + std::to_string(kMaxGifFramePixels) +
                              " pixels in all frames together");
  }
  return ComposeGifAnimation(gif, static_cast<std::int64_t>(bytes.size()));
}

int CountGifFrames(std::span<const std::uint8_t> bytes) {
  return static_cast<int>(DecodeGif(bytes).images.size());
}

}  // namespace pixtrel
