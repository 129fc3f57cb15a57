#pragma once
// Resource limits for pictures read from files. Every reader checks a header's claims against
// these before it allocates, so a small hostile file cannot make the program allocate gigabytes.
#include <cstdint>

namespace pixtrel {

// Longest side of a picture, in pixels.
inline constexpr std::int64_t kMaxPictureSide = 65500;
// Largest picture, in pixels (2^28: a 24-bit raster of 768 MiB).
inline constexpr std::int64_t kMaxPicturePixels = std::int64_t{1} << 28;
// Largest file read into memory.
inline constexpr std::int64_t kMaxFileBytes = std::int64_t{1} << 31;

// Throws Exception naming the limit when width x height is out of bounds; negative sizes too.
void CheckPictureSize(std::int64_t width, std::int64_t height);

}  // namespace pixtrel
