#pragma once
// The primary image's pixels through libheif, brought to 8 bits per channel by our own scaling.
// Two things libheif 1.15 leaves undone are done here, as the file's boxes and coded streams say:
// a monochrome picture in limited range (AV1 or HEVC "video" range, 16..235 at 8 bits) is
// stretched to full range, and so is an alpha plane coded in limited range.
#include <libheif/heif.h>

#include <cstdint>
#include <span>

#include "core/DecodedPicture.h"

namespace pixtrel {

// Decodes the primary image (`handle`, of the file `bytes`) into picture.raster and, when it has
// one, picture.alpha. upright false ignores the file's transforms.
void DecodeHeifPixels(std::span<const std::uint8_t> bytes, const heif_image_handle* handle,
                      bool upright, DecodedPicture& picture);

// Whether the primary image is stored as a single grey channel: its pixi box says one channel,
// or, without one, its codec configuration (av1C's monochrome flag, hvcC's chroma format 0).
bool StoredMonochrome(std::span<const std::uint8_t> bytes);

}  // namespace pixtrel
