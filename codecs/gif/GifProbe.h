#pragma once
// A GIF's picture size read from its first bytes, without decoding.
#include <cstdint>
#include <optional>
#include <span>

#include "core/DecodedPicture.h"

namespace pixtrel {

// The logical screen's size.
std::optional<PictureSize> ProbeGif(std::span<const std::uint8_t> head);

}  // namespace pixtrel
