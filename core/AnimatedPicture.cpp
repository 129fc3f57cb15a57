#include "core/AnimatedPicture.h"

#include <algorithm>

#include "core/Errors.h"

namespace pixtrel {

void DropOpaqueAlpha(DecodedPicture& canvas) {
  if (canvas.alpha && std::all_of(canvas.alpha->begin(), canvas.alpha->end(),
                                  [](std::uint8_t a) { return a == 255; })) {
    canvas.alpha.reset();
  }
}

void CheckAnimationFrames(const AnimatedPicture& animation) {
  if (animation.frames.empty()) throw EBitmapError("Animation has no frames");
  const std::size_t pixels = static_cast<std::size_t>(animation.width) * animation.height;
  const bool sound =
      animation.width > 0 && animation.height > 0 && animation.plays >= 0 &&
      std::all_of(animation.frames.begin(), animation.frames.end(), [&](const AnimationFrame& f) {
        const auto* colours = std::get_if<Bitmap24>(&f.canvas.raster);
        return colours && colours->width() == animation.width &&
               colours->height() == animation.height && f.delayMs >= 0 &&
               (!f.canvas.alpha || f.canvas.alpha->size() == pixels);
      });
  if (!sound) throw EBitmapError("Animation frame does not match its canvas");
}

}  // namespace pixtrel
