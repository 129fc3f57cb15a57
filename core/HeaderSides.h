#pragma once
// The picture size a file's header states, as the header probes give it.
#include <cstdint>
#include <optional>

#include "core/DecodedPicture.h"

namespace pixtrel {

// The sides taken as positive (a BMP's top-down height is negative); none unless both are 1 to
// 2^31 - 1.
std::optional<PictureSize> HeaderSides(std::int64_t width, std::int64_t height);

}  // namespace pixtrel
