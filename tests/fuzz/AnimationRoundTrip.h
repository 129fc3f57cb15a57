#pragma once
// What the animation fuzz targets do with an input: every frame read as the given format, written
// back as GIF and read again, and, for small animations, resized, turned and written as WebP. A
// GIF written from an animation of at most 255 colours must play back frame for frame as the
// animation; frame counts, canvases, delays and loop counts must survive.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <unordered_set>

#include "codecs/Registry.h"
#include "codecs/gif/GifAnimation.h"
#include "codecs/webp/WebpAnimation.h"
#include "core/Errors.h"
#include "imaging/AnimationFrames.h"
#include "operations/AnimationFile.h"

namespace pixtrel::fuzz {

inline void Require(bool condition) {
  if (!condition) std::abort();
}

inline bool Opaque(const AnimationFrame& frame, std::size_t i) {
  return !frame.canvas.alpha || (*frame.canvas.alpha)[i] >= 128;
}

inline std::uint32_t ColourAt(const AnimationFrame& frame, int x, int y) {
  const std::uint8_t* p = std::get<Bitmap24>(frame.canvas.raster).row(y) + x * 3;
  return p[0] | p[1] << 8 | p[2] << 16;
}

inline bool FewColours(const AnimatedPicture& animation) {
  std::unordered_set<std::uint32_t> colours;
  for (const AnimationFrame& frame : animation.frames) {
    for (int y = 0; y < animation.height; ++y) {
      for (int x = 0; x < animation.width; ++x) {
        if (Opaque(frame, static_cast<std::size_t>(y) * animation.width + x))
          colours.insert(ColourAt(frame, x, y));
        if (colours.size() > 255) return false;
      }
    }
  }
  return true;
}

inline bool SameFrame(const AnimationFrame& a, const AnimationFrame& b, int width, int height) {
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::size_t i = static_cast<std::size_t>(y) * width + x;
      if (Opaque(a, i) != Opaque(b, i)) return false;
      if (Opaque(a, i) && ColourAt(a, x, y) != ColourAt(b, x, y)) return false;
    }
  }
  return true;
}

inline void CheckGifRoundTrip(const AnimatedPicture& animation) {
  const AnimatedPicture back = DecodeGifAnimation(EncodeGifAnimation(animation));
  Require(back.width == animation.width && back.height == animation.height);
  Require(back.frames.size() == animation.frames.size());
  const int plays =
      animation.plays <= 1 ? animation.plays : std::min(animation.plays - 1, 0xFFFF) + 1;
  Require(back.plays == plays);
  for (std::size_t i = 0; i < back.frames.size(); ++i) {
    const int hundredths = std::min((animation.frames[i].delayMs + 5) / 10, 0xFFFF);
    Require(back.frames[i].delayMs == hundredths * 10);
  }
  if (!FewColours(animation)) return;
  for (std::size_t i = 0; i < back.frames.size(); ++i)
    Require(SameFrame(animation.frames[i], back.frames[i], animation.width, animation.height));
}

inline int PlayAnimation(const std::uint8_t* data, std::size_t size, const FormatRow& format) {
  AnimatedPicture animation;
  try {
    animation = DecodeAnimation({data, size}, format);
  } catch (const Exception&) {
    return 0;
  }
  CheckAnimationFrames(animation);  // what the writers rely on: a failure here is a fault
  // Large animations are legal but slow to work on; the limits are tested elsewhere.
  const long long pixels =
      static_cast<long long>(animation.width) * animation.height * animation.frames.size();
  if (pixels > (1 << 20)) return 0;
  CheckGifRoundTrip(animation);
  if (pixels > (1 << 16)) return 0;
  const AnimatedPicture small = TurnAnimation(
      ResizeAnimation(std::move(animation), 7, 5, ResizeMethod::Better), Orientation{true, 1});
  const AnimatedPicture back =
      DecodeWebpAnimation(EncodeWebpAnimation(small, PictureMetadata{}, WebpSettings{true, 90}));
  Require(back.width == 5 && back.height == 7 && !back.frames.empty());
  Require(back.frames.size() <= small.frames.size());
  return 0;
}

}  // namespace pixtrel::fuzz
