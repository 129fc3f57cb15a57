#pragma once
// Animations of any format that keeps them (its row's animation codec: GIF and WebP), for the
// commands that keep every frame: decode once, work on the frames, encode once.
#include <cstdint>
#include <span>

#include "core/AnimatedPicture.h"
#include "operations/PictureFile.h"

namespace pixtrel {

// Whether the format reads and writes every frame of an animation.
bool KeepsAnimations(const FormatRow& row);

// The number of frames in the file: what the format's animation codec counts (0 when the file's
// structure cannot be read), 1 for formats without animations.
int CountFrames(std::span<const std::uint8_t> bytes, const FormatRow& row);

// Every frame of the file composed on its canvas (see AnimatedPicture), held to the animation
// limits before anything large is allocated; the EXIF block from its TIFF header on. A still
// picture gives one frame. Fails with "Cannot read FORMAT animations" for a format without them.
AnimatedPicture DecodeAnimation(std::span<const std::uint8_t> bytes, const FormatRow& row);

// The animation encoded as target with its delays and loop count: colours converted to sRGB and
// metadata blocks chosen as PlanOutputMetadata says (for the canvas's size), lossless and the
// quality from the choices. Fails with "Cannot write FORMAT animations" for a format without them.
Bytes EncodeAnimation(AnimatedPicture animation, const FormatRow& target,
                      const OutputChoices& choices);

}  // namespace pixtrel
