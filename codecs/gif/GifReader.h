#pragma once
// Reading GIF files (87a and 89a, every block kind) into a TGIFImage.
#include <cstdint>
#include <filesystem>
#include <span>

#include "codecs/gif/GifImage.h"
#include "core/Limits.h"
#include "io/FilePath.h"

namespace pixtrel {

// Decodes a whole GIF file held in memory. Lives with: an unknown block type, a missing
// trailer, a graphic control extension cut short, a code stream that ends early or is corrupt
// (the rest of the frame keeps the transparent index, else 0), a frame of width or height 0
// (it takes the screen's size), and data cut off inside an extension.
// Fails with "Invalid GIF signature", "Premature end of data" (inside the signature, a
// descriptor or a colour table), "Unknown extension type", "Circular decoder table entry",
// "Invalid LZW code size", and the picture size limits for the screen and every frame.
TGIFImage DecodeGif(std::span<const std::uint8_t> bytes);

// The file's bytes decoded; "Cannot open file %s" when it cannot be read.
TGIFImage ReadGifFile(const FilePath& path);

}  // namespace pixtrel
