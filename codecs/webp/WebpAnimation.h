#pragma once
// WebP animations with every frame, through libwebp's demuxer and animation decoder and encoder.
// Errors are Exceptions "WebP error: <reason>" (and the picture size limits).
#include <cstdint>
#include <span>
#include <vector>

#include "codecs/webp/WebpFile.h"
#include "core/AnimatedPicture.h"

namespace pixtrel {

// Every frame composed by libwebp (offsets, blending and disposal applied, the canvas starting
// transparent), each frame's duration, the loop count, whether every frame's bitstream is
// lossless, and the metadata chunks. The canvas and the number of frames are held to the limits
// (CheckAnimationSize: canvas x frames, also against the file's size) before libwebp allocates
// its canvases. A still file gives one frame that plays once.
AnimatedPicture DecodeWebpAnimation(std::span<const std::uint8_t> bytes);

// The number of frames the file's structure names: 1 for a still; 0 when it is no WebP file
// or its structure is damaged (reading it then says why).
int CountWebpFrames(std::span<const std::uint8_t> bytes);

// An animated WebP through WebPAnimEncoder: lossless (every pixel kept) or lossy at
// settings.quality, each frame shown for its delay (at most 16,777,215 ms), the loop count
// kept (at most 65,535 plays), and the metadata blocks that are not empty as chunks. libwebp
// stores only what changes between frames and merges a frame identical to the one before into
// that frame's duration, so the animation plays the same with fewer frames.
std::vector<std::uint8_t> EncodeWebpAnimation(const AnimatedPicture& animation,
                                              const PictureMetadata& metadata,
                                              const WebpSettings& settings);

}  // namespace pixtrel
