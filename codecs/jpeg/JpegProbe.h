#pragma once
// A JPEG's picture size read from its first bytes, without decoding: for the batch's memory
// budget and for leaving small pictures as they are before anything is decoded.
#include <cstdint>
#include <optional>
#include <span>

#include "core/DecodedPicture.h"

namespace pixtrel {

// The frame header's size, found by walking the marker segments before it as WalkJpegHeader
// does. The head may end inside the frame header: its first eight bytes are enough.
std::optional<PictureSize> ProbeJpeg(std::span<const std::uint8_t> head);

}  // namespace pixtrel
