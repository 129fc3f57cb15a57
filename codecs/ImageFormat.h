#pragma once
#include <optional>
#include <string_view>

#include "core/FileName.h"

namespace pixtrel {

// The picture file formats. BMP, JPEG and GIF are read and written by every command; PNG and
// WebP are read and written too; HEIF (HEIC and AVIF) is read only.
enum class ImageFormat { Bmp, Jpeg, Gif, Png, Webp, Heif };

// The format a file name's extension (from its last "."; letter case ignored) stands for:
// ".jpg", ".jpe", ".jpeg" JPEG, ".gif" GIF, ".bmp" BMP, ".png" PNG, ".webp" WebP, ".heic",
// ".heif" and ".avif" HEIF; anything else has none.
std::optional<ImageFormat> FormatFromExtension(std::string_view fileName);

}  // namespace pixtrel
