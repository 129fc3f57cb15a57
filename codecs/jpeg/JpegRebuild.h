#pragma once
// A JPEG file rebuilt from what its picture needs, for outputs that must carry nothing of the
// source but its compressed picture and the metadata chosen for them.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "core/DecodedPicture.h"

namespace pixtrel {

// SOI; the JFIF APP0 when the file starts with one (without its extensions, which may hold a
// thumbnail); the segments of the given blocks; then, in the file's order, what decoding reads:
// the Adobe APP14 (it says how the colours are stored), quantization, Huffman and arithmetic
// coding tables, the frame header, restart intervals, line counts and every scan with its
// compressed data; EOI. Everything else stays behind: comments, the other application segments
// and whatever follows EOI (phones append a second picture there). Nothing when the structure
// is damaged: a segment or scan that runs past the end, or no EOI.
std::optional<std::vector<std::uint8_t>> RebuildJpeg(std::span<const std::uint8_t> jpeg,
                                                     const PictureMetadata& metadata);

}  // namespace pixtrel
