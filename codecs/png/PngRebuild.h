#pragma once
// A PNG file rebuilt from its picture chunks alone, for outputs that must carry none of the
// source's metadata.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace pixtrel {

// The signature and, in the file's order, the chunks that make the picture and its colours: IHDR,
// PLTE, tRNS, IDAT, IEND, gAMA, cHRM, sRGB, sBIT, bKGD, pHYs and an animation's acTL, fcTL and
// fdAT, each copied whole. Every other chunk stays behind (eXIf, iCCP, text chunks, private
// chunks), and so does anything after IEND. Nothing when the file does not start with its
// signature and IHDR, a chunk runs past the end, or IEND is missing.
std::optional<std::vector<std::uint8_t>> RebuildPng(std::span<const std::uint8_t> png);

}  // namespace pixtrel
