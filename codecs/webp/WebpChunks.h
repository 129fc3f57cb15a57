#pragma once
// The metadata chunks of a WebP file (EXIF, ICCP, XMP): read from a file, and added to an
// encoded still or animation.
#include <cstdint>
#include <span>
#include <vector>

#include "core/DecodedPicture.h"

namespace pixtrel {

// The first EXIF, ICCP and "XMP " chunks of a WebP file as stored; empty where absent or when
// the file's structure cannot be read.
PictureMetadata ReadWebpMetadata(std::span<const std::uint8_t> file);

// The encoded file with the blocks that are not empty added as EXIF, ICCP and XMP chunks (the
// file as it came when all are empty). Fails with Exception "WebP error: ...".
std::vector<std::uint8_t> WithWebpMetadata(std::vector<std::uint8_t> file,
                                           const PictureMetadata& metadata);

}  // namespace pixtrel
