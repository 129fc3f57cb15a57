#pragma once
// Picture sizes read from the first bytes of BMP, JPEG and GIF files, without decoding: for the
// batch's memory budget and for leaving small pictures as they are before anything is decoded.
#include <cstdint>
#include <optional>
#include <span>

#include "core/DecodedPicture.h"

namespace pixtrel {

// The frame header's size, found by walking the marker segments before it.
std::optional<PictureSize> ProbeJpeg(std::span<const std::uint8_t> head);
// The logical screen's size.
std::optional<PictureSize> ProbeGif(std::span<const std::uint8_t> head);
// The core or info header's size (a top-down file's negative height counted as positive).
std::optional<PictureSize> ProbeBmp(std::span<const std::uint8_t> head);

}  // namespace pixtrel
