#pragma once
// WebP files in memory: lossy and lossless, with or without alpha, the first frame of an
// animation, and the EXIF/ICCP/XMP chunks. Errors are Exceptions "WebP error: <reason>".
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "core/DecodedPicture.h"

namespace pixtrel {

struct WebpSettings {
  bool lossless = false;
  int quality = 90;  // 0..100, lossy only
};

// A Bitmap24 with an alpha plane when the file has alpha; lossless says whether the (first
// frame's) bitstream was lossless. An animation gives its first frame drawn on its canvas.
DecodedPicture ReadWebpBytes(std::span<const std::uint8_t> bytes);

// Lossy at settings.quality, or lossless (which keeps every pixel, colours under fully
// transparent pixels too); alpha is kept when given (one byte per pixel, 255 = opaque). The
// metadata blocks that are not empty are written as EXIF, ICCP and XMP chunks.
std::vector<std::uint8_t> EncodeWebp(const Raster& raster, const std::vector<std::uint8_t>* alpha,
                                     const PictureMetadata& metadata,
                                     const WebpSettings& settings = {});

// Throws "WebP error: picture too large (a side may have at most 16383 pixels)" for a size the
// format cannot hold.
void CheckWebpSize(std::int64_t width, std::int64_t height);

// The picture's size from the first bytes of a WebP file (the header only), or nothing when they
// do not start one.
std::optional<PictureSize> ProbeWebp(std::span<const std::uint8_t> head);

}  // namespace pixtrel
