#pragma once
// A GIF file as a decoded picture for the commands that work on any format: its first frame as
// one raster (as GifFrameRaster gives it), with an alpha plane when the frame is transparent.
#include <cstdint>
#include <span>

#include "core/DecodedPicture.h"

namespace pixtrel {

// The alpha plane is 0 for the frame's transparent pixels and for the screen outside the frame,
// 255 elsewhere; it is absent when the first frame has no transparent colour.
DecodedPicture DecodeGifPicture(std::span<const std::uint8_t> bytes);

}  // namespace pixtrel
