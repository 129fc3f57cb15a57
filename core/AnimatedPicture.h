#pragma once
// An animation as a viewer shows it. Every frame is the whole canvas as it looks once that frame
// is drawn: the source's offsets, disposal, blending and transparency are already applied. So a
// resize or a turn works on each frame alone with the same code as a still picture, and each
// writer chooses for itself how it stores what changes from one frame to the next.
#include <cstdint>
#include <vector>

#include "core/DecodedPicture.h"

namespace pixtrel {

struct AnimationFrame {
  // The canvas: a Bitmap24, with an alpha plane only when some pixel is not opaque. Its
  // metadata is empty and its lossless flag unused: both belong to the animation.
  DecodedPicture canvas;
  int delayMs = 0;  // how long the frame shows; 0 as the file said (viewers show such briefly)
};

struct AnimatedPicture {
  int width = 0;  // the canvas
  int height = 0;
  std::vector<AnimationFrame> frames;
  // How many times the whole animation plays; 0 for ever. This is WebP's loop count. A GIF's
  // NETSCAPE2.0 count is the repeats after the first play, so GIF count n is n + 1 plays here,
  // and a GIF without the extension plays once.
  int plays = 0;
  bool lossless = true;      // every frame stored without loss (GIF; lossless WebP)
  PictureMetadata metadata;  // WebP's EXIF (from its TIFF header on), ICC and XMP chunks
};

// Drops a frame's alpha plane when every pixel is opaque, so opaque frames cost 3 bytes a pixel.
void DropOpaqueAlpha(DecodedPicture& canvas);

// What the writers rely on: at least one frame, every frame a Bitmap24 of the canvas's size with
// an alpha plane of that size or none, delays and plays not negative. Fails with EBitmapError
// "Animation frame does not match its canvas" or "Animation has no frames".
void CheckAnimationFrames(const AnimatedPicture& animation);

}  // namespace pixtrel
