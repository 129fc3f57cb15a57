#pragma once
// A BMP's picture size read from its first bytes, without decoding.
#include <cstdint>
#include <optional>
#include <span>

#include "core/DecodedPicture.h"

namespace pixtrel {

// The core or info header's size (a top-down file's negative height counted as positive).
std::optional<PictureSize> ProbeBmp(std::span<const std::uint8_t> head);

}  // namespace pixtrel
