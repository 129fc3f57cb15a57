#pragma once
// What a format that keeps animations supplies to its row of the registry: counting,
// reading and writing every frame.
#include <cstdint>
#include <span>

#include "codecs/FormatRow.h"
#include "core/AnimatedPicture.h"

namespace pixtrel {

struct AnimationCodec {
  // The frames the file holds (1 for a still picture); 0 when its structure cannot be read.
  int (*countFrames)(std::span<const std::uint8_t> bytes) = nullptr;
  AnimatedPicture (*read)(std::span<const std::uint8_t> bytes) = nullptr;
  // metadata: the blocks to carry, for formats that carry them; settings: quality, lossless.
  Bytes (*write)(const AnimatedPicture& animation, const PictureMetadata& metadata,
                 const EncodeSettings& settings) = nullptr;
};

}  // namespace pixtrel
