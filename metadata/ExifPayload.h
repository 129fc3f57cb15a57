#pragma once
// EXIF as ISO base media files (HEIF) store it: the TIFF structure behind a 4-byte big-endian
// count of the bytes to skip before it.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace pixtrel {

// The bytes after the count and the bytes it skips; nothing when the block is shorter than the
// count or the count leaves the block.
std::optional<std::span<const std::uint8_t>> AfterExifOffset(std::span<const std::uint8_t> block);

// The TIFF structure of such a block. Some writers count up to an "Exif\0\0" header instead,
// which is skipped too. Empty when the count leaves the block: a bad offset drops the block
// rather than the picture.
std::vector<std::uint8_t> TiffFromOffsetBlock(std::span<const std::uint8_t> block);

}  // namespace pixtrel
