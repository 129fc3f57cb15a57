#pragma once
// Helpers of the PNG and WebP tests: pictures as plain RGBA bytes, read by us or by PIL, and a
// source picture written as PAM for ImageMagick to convert.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/DecodedPicture.h"

namespace pixtrel::test {

struct Rgba {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // r, g, b, a per pixel, rows without padding
};

// Our decoded picture as RGBA (255 alpha where it has no alpha plane).
Rgba RgbaOf(const DecodedPicture& picture);

// The file as PIL reads it, converted to RGBA; nothing when PIL is absent or fails.
std::optional<Rgba> ReadRgbaWithPil(const std::filesystem::path& file);

// Writes a PAM file (RGB_ALPHA tuples) that ImageMagick reads.
void WritePam(const std::filesystem::path& file, const Rgba& picture);

// The first mismatching pixel as text ("" when both match). Colours of pixels that are fully
// transparent in both are not compared: writers may replace them.
std::string FirstDifference(const Rgba& expected, const Rgba& actual);

// Bit depth, colour type and interlace method from a PNG file's IHDR.
struct PngHeader {
  int bitDepth = 0;
  int colourType = 0;
  int interlace = 0;
};
PngHeader ReadPngHeader(const std::vector<std::uint8_t>& file);

}  // namespace pixtrel::test
