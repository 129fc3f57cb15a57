#pragma once
// A GIF file rebuilt from its picture data alone, for outputs that must carry none of the
// source's metadata.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace pixtrel {

// The header, the logical screen with its colour table and, in the file's order, every frame
// (its graphic control extension, descriptor, colour table and compressed data) and the
// NETSCAPE2.0 looping extension, then the trailer. Comments, plain text and every other
// application extension (XMP, profiles, a writer's own data) stay behind, and so does anything
// after the trailer. Nothing when the file is not a GIF or a block runs past the end.
std::optional<std::vector<std::uint8_t>> RebuildGif(std::span<const std::uint8_t> gif);

}  // namespace pixtrel
