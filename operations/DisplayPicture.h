#pragma once
// Pictures for display (the window's preview and viewer): a file read through the program's own
// readers, chosen by the file's extension, turned upright by its orientation.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

#include "core/Raster.h"

namespace pixtrel {

struct ShownPixels {
  int width = 0;
  int height = 0;
};

// The upright picture in the file. The extension picks the registry row, whose display
// extensions the viewer opens ("jpg" and "jpeg" JPEG, "gif" GIF (its first frame), "bmp" BMP,
// "png", "webp", "heic", "heif", "avif"); any other extension, ".jpe" among them, fails with
// "Unknown picture file extension (.EXT)"; the readers' errors pass through.
// shownSize, when given, gets the upright picture's full size and says what size it will be
// shown at: a JPEG is then decoded with the codec's scaling straight to the smallest eighth of
// its size that is still at least that size; full is set to the upright picture's own size
// (left as it is for the other formats, which come at full size).
// alpha, when given, receives the alpha plane of a picture with transparency (PNG, WebP, HEIC,
// AVIF: one byte per pixel, rows unpadded) and the picture comes without it; otherwise
// transparent parts are drawn on white.
Raster ReadPictureForDisplay(const std::filesystem::path& file,
                             const std::function<ShownPixels(ShownPixels)>& shownSize,
                             ShownPixels& full,
                             std::optional<std::vector<std::uint8_t>>* alpha = nullptr);

}  // namespace pixtrel
