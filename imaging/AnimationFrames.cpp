#include "imaging/AnimationFrames.h"

#include "core/Errors.h"
#include "core/Limits.h"
#include "imaging/ResizePicture.h"
#include "imaging/TurnPicture.h"

namespace pixtrel {

AnimatedPicture ResizeAnimation(AnimatedPicture animation, int width, int height,
                                ResizeMethod method) {
  if (width < 1 || height < 1) throw EBitmapError("Invalid picture size");
  CheckAnimationSize(width, height, static_cast<std::int64_t>(animation.frames.size()));
  for (AnimationFrame& frame : animation.frames) {
    frame.canvas = ResizePicture(std::move(frame.canvas), width, height, method);
    DropOpaqueAlpha(frame.canvas);
  }
  animation.width = width;
  animation.height = height;
  return animation;
}

AnimatedPicture TurnAnimation(AnimatedPicture animation, Orientation orientation) {
  for (AnimationFrame& frame : animation.frames)
    TurnPicture(frame.canvas, orientation);
  if (orientation.swapsSides()) std::swap(animation.width, animation.height);
  return animation;
}

}  // namespace pixtrel
