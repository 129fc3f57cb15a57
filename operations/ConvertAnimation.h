#pragma once
// Converting an animation between formats that keep animations (GIF and WebP) with every frame,
// its delays and its loop count, where a conversion of a still picture takes the first frame.
#include <cstdint>
#include <span>

#include "io/FileBytes.h"
#include "operations/ConvertFile.h"

namespace pixtrel {

// True when the file holds more than one frame and both formats keep animations.
bool ConvertsAnimation(std::span<const std::uint8_t> bytes, const FormatRow& source,
                       const FormatRow& target);

// The animation read, turned upright by its EXIF orientation (WebP) unless asked not to, and
// encoded as target: a WebP lossless when the source was (every GIF, lossless WebP), lossy at
// the quality otherwise; metadata and colours as the settings and the target allow.
Bytes ConvertAnimation(std::span<const std::uint8_t> bytes, const FormatRow& source,
                       const FormatRow& target, const ConvertSettings& settings);

}  // namespace pixtrel
