#pragma once
// The GIF variable-length LZW encoder.
#include <cstdint>
#include <span>
#include <vector>

namespace pixtrel {

// Encodes indices (each below 2^minCodeSize; minCodeSize 2 to 8) into a code stream without
// sub-block framing: a clear code first; codes one bit wider than the minimum code size,
// growing to 12 bits; a clear code whenever the string table is full; the end code last.
// An index not below 2^minCodeSize fails with "Color not in color table".
std::vector<std::uint8_t> EncodeGifLzw(std::span<const std::uint8_t> pixels, int minCodeSize);

}  // namespace pixtrel
