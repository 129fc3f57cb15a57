#pragma once
// Helpers of the JPEG XL tests: files made by Debian's cjxl and read back by djxl (libjxl-tools),
// 16-bit PNG sources, and JPEG XL codestream headers written bit by bit for hostile files.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/DecodedPicture.h"
#include "tests/support/TestSupport.h"

namespace pixtrel::test {

#define PIXTREL_SKIP_WITHOUT_JXL_TOOLS()                                              \
  if (!::pixtrel::test::HaveProgram("cjxl") || !::pixtrel::test::HaveProgram("djxl")) \
  GTEST_SKIP() << "cjxl and djxl are needed for this check (Debian package libjxl-tools)"

// A picture like a photo's smooth parts: gradients and soft rings, deterministic. Lossy coding
// keeps such pictures close (TestPattern's noise is what it is made to drop).
Bitmap24 SmoothPicture(int width, int height);

// Runs `cjxl source output options...`; the output's bytes, or empty when cjxl failed (its
// messages in `log`).
Bytes Cjxl(const TempFolder& folder, const std::filesystem::path& source,
           const std::vector<std::string>& options, const std::string& outputName,
           std::string* log = nullptr);

// Runs `djxl input output` on the bytes; the output file's bytes, or empty when djxl failed.
Bytes Djxl(const TempFolder& folder, const Bytes& jxl, const std::string& outputName,
           std::string* log = nullptr);

// The picture djxl decodes the bytes to, read back from its 8-bit PNG output (RGBA when the
// picture has alpha).
DecodedPicture DjxlPicture(const TempFolder& folder, const Bytes& jxl);

// A 16-bit RGB or RGBA PNG of the given samples (r, g, b[, a] per pixel), written by Python's
// zlib, with no other chunk.
std::filesystem::path Write16BitPng(const TempFolder& folder, int width, int height,
                                    const std::vector<std::uint16_t>& samples, bool alpha);

// A bare codestream header claiming the size, followed by `tail` bytes of filler: enough for the
// size to be read, not for a picture.
Bytes CodestreamClaiming(std::uint32_t width, std::uint32_t height, std::size_t tail = 32);

// A container box: 32-bit size (or, with largeSize, the 64-bit form) and type before the payload.
Bytes Box(const std::string& type, const Bytes& payload, std::uint64_t claimedSize = 0);

}  // namespace pixtrel::test
