#pragma once
// The GIF variable-length LZW decoder.
#include <cstddef>
#include <cstdint>
#include <span>

namespace pixtrel {

// Decodes a code stream (the data sub-blocks joined, without their length bytes) into
// out[0, outSize). Returns the number of indices written.
//
// Decoding stops, keeping what was written, at the end code, when the data runs out, when out
// is full (any further data is ignored), and at a code beyond the next free table entry: such a
// stream is corrupt from that point and is treated as ending there. A code that would define
// itself (the free entry named before any string precedes it) fails with "Circular decoder
// table entry". A minimum code size outside 2 to 8 fails with "Invalid LZW code size".
// Never reads or writes outside the given buffers.
std::size_t DecodeGifLzw(std::span<const std::uint8_t> codes, int minCodeSize, std::uint8_t* out,
                         std::size_t outSize);

}  // namespace pixtrel
