#pragma once
#include <optional>
#include <string_view>

namespace pixtrel {

enum class ImageFormat { Bmp, Jpeg, Gif };

// The format a file name's extension (from its last "."; letter case ignored) stands for:
// ".jpg", ".jpe", ".jpeg" JPEG, ".gif" GIF, ".bmp" BMP; anything else has none.
std::optional<ImageFormat> FormatFromExtension(std::string_view fileName);

// The extension from the last "." on, or empty when the name has none.
std::string_view ExtensionOf(std::string_view fileName);

}  // namespace pixtrel
