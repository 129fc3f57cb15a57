#pragma once
// Helpers of the HEIF tests: source pictures written as PNG, HEIC and AVIF files made from them by
// Debian's encoders (heif-enc, avifenc), and pictures compared within a tolerance.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/DecodedPicture.h"
#include "tests/support/TestSupport.h"

namespace pixtrel::test {

// Skips the test when the encoder is not installed (libheif-examples, libavif-bin).
#define PIXTREL_SKIP_WITHOUT_ENCODER(name) \
  PIXTREL_SKIP_WITHOUT_PROGRAM(name) << " (" << EncoderPackage(name) << ")"
std::string EncoderPackage(const std::string& program);

// An alpha plane with every level from transparent to opaque.
std::vector<std::uint8_t> AlphaRamp(int width, int height);

// Writes the picture (and its alpha plane, when given) as an 8-bit PNG.
std::filesystem::path WriteSourcePng(const TempFolder& folder, const Bitmap24& picture,
                                     const std::vector<std::uint8_t>* alpha = nullptr);

// Runs the encoder: `program options... source output`; the output's bytes, or empty when the
// encoder failed (its messages in `log`).
Bytes Encode(const TempFolder& folder, const std::string& program,
             const std::vector<std::string>& options, const std::filesystem::path& source,
             const std::string& outputName, std::string* log = nullptr);

// The largest difference of one channel between two pictures of the same size; -1 when their
// sizes differ.
int MaxDifference(const Bitmap24& a, const Bitmap24& b);
double MeanDifference(const Bitmap24& a, const Bitmap24& b);

// The picture turned a quarter anticlockwise `quarters` times, then mirrored: mirror 0 swaps top
// and bottom, 1 left and right, -1 none.
Bitmap24 Transformed(const Bitmap24& picture, int quarters, int mirror);

// The offset of the first occurrence of the bytes in the file, or npos.
std::size_t Find(const Bytes& file, const std::string& bytes, std::size_t from = 0);

}  // namespace pixtrel::test
