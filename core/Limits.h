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

// Compressed data cannot describe more than about this many pixels per byte (run-length BMP:
// 255 pixels in 2 bytes; LZW: 4096 pixels in a 12-bit code; JPEG: a blank 16 x 16 block in
// about 3 bytes), plus a picture of this many pixels whatever its data.
inline constexpr std::int64_t kMaxPixelsPerDataByte = 4096;
inline constexpr std::int64_t kPixelsFreeOfData = std::int64_t{1} << 24;

// Deflate (PNG's zlib stream) makes at most 1032 bytes of each byte (a 258-byte match in two
// bits); a header calling for more than its data can make beyond a picture of kPixelsFreeOfData
// pixels is refused before the raster is allocated.
inline constexpr std::int64_t kMaxDeflateRatio = 1032;

// GIF: frames kept, and pixels in all of them together.
inline constexpr int kMaxGifFrames = 4096;
inline constexpr std::int64_t kMaxGifFramePixels = std::int64_t{1} << 28;

// HEIF: items in a file (a phone's 48-megapixel photo has a few hundred: tiles, thumbnail,
// metadata), references between items, and how many levels of derived images (a grid of
// tiles is one level) may stand on one another. libheif's time or memory grows faster than the
// file with each, so they are checked before it reads the file.
inline constexpr std::int64_t kMaxHeifItems = 1000;
inline constexpr std::int64_t kMaxHeifReferences = 2000;
inline constexpr std::int64_t kMaxHeifDerivationDepth = 8;

// Animations read with every frame (GIF and WebP): frames, and pixels of all the composed
// frames together, each the whole canvas (canvas x frames).
inline constexpr int kMaxAnimationFrames = kMaxGifFrames;
inline constexpr std::int64_t kMaxAnimationPixels = std::int64_t{1} << 28;

// JPEG: memory libjpeg may use for one picture, and scans of a progressive file.
inline constexpr long kMaxJpegMemory = 1L << 30;
inline constexpr int kMaxJpegScans = 100;

// AVIF and HEIC outputs: each picture is one frame of a video encoder (AV1, HEVC), which needs
// several times the raster's memory. x265 refuses some frames wider than 16,384 pixels.
inline constexpr std::int64_t kMaxHeifWriteSide = 16384;
inline constexpr std::int64_t kMaxHeifWritePixels = std::int64_t{1} << 26;

// Throws Exception naming the limit when width x height is out of bounds; negative sizes too.
void CheckPictureSize(std::int64_t width, std::int64_t height);

// Throws Exception "Picture too large for its data: ..." when a header claims far more pixels
// than dataBytes of compressed data can hold, so a tiny damaged file cannot make the program
// allocate and fill a huge raster.
void CheckPixelsForData(std::int64_t width, std::int64_t height, std::int64_t dataBytes);

// The same for a picture whose pixels are decompressed from deflate data: throws "Picture too
// large for its data: W x H pixels in N bytes" when a picture of more than kPixelsFreeOfData
// pixels needs more decompressed bytes than compressedBytes can make (kMaxDeflateRatio).
void CheckDecompressedForData(std::int64_t width, std::int64_t height,
                              std::int64_t decompressedBytes, std::int64_t compressedBytes);

// The canvas and frame count of an animation held with every frame: the picture limits for the
// canvas, at most kMaxAnimationFrames frames, and canvas x frames held to kMaxAnimationPixels.
// Throws Exception "Picture too large: ...".
void CheckAnimationSize(std::int64_t width, std::int64_t height, std::int64_t frames);

// CheckAnimationSize, and canvas x frames held to what dataBytes of a file can describe
// (CheckPixelsForData): "Picture too large for its data: ...".
void CheckAnimationSize(std::int64_t width, std::int64_t height, std::int64_t frames,
                        std::int64_t dataBytes);

}  // namespace pixtrel
