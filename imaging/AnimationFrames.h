#pragma once
// Work on every frame of an animation: each frame is a whole canvas, so it is resized or turned
// exactly as a still picture would be, and delays and the loop count stay as they are.
#include "core/AnimatedPicture.h"
#include "imaging/Orientation.h"
#include "imaging/ResizeMethod.h"

namespace pixtrel {

// Every frame scaled to width x height (both at least 1) by ResizePicture: Normal picks pixels,
// Better resamples with "Lanczos3", colours weighted by their opacity. Frames that turn out
// opaque lose their alpha plane. The result is held to the animation limits (CheckAnimationSize)
// before any frame is scaled.
AnimatedPicture ResizeAnimation(AnimatedPicture animation, int width, int height,
                                ResizeMethod method);

// Every frame mirrored and turned as the orientation says; the canvas swaps its sides for a
// quarter turn. A flip top to bottom is Orientation{true, 2}.
AnimatedPicture TurnAnimation(AnimatedPicture animation, Orientation orientation);

}  // namespace pixtrel
