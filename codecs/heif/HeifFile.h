#pragma once
// HEIC and AVIF files through libheif (decoders as the system ships them): the primary image,
// turned upright by its irot/imir transforms unless asked not to, with its alpha plane, ICC
// profile, EXIF and XMP. Errors are Exceptions "HEIF error: <reason>".
#include <cstdint>
#include <optional>
#include <span>

#include "core/DecodedPicture.h"

namespace pixtrel {

// The primary image as a Bitmap24 (8 bits per channel; deeper files scaled with rounding), with
// an alpha plane when it has one. upright false leaves the stored orientation (the transforms
// ignored). The size is checked against the picture limits before anything is decoded. It counts
// as lossless when its colours are stored as red, green and blue (the identity matrix), as
// lossless AVIF files are.
DecodedPicture ReadHeifBytes(std::span<const std::uint8_t> bytes, bool upright = true);

// The primary image's stored size (before its transforms), or nothing when the bytes do not
// start a readable HEIF file.
std::optional<PictureSize> ProbeHeif(std::span<const std::uint8_t> bytes);

}  // namespace pixtrel
