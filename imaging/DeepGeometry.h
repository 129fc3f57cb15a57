#pragma once
// The 16-bit samples of a picture (DeepSamples) taken through the same framing, turning and
// resampling as its 8-bit raster, so that a writer that stores more than 8 bits (AVIF, HEIC)
// still has them after the one-pass command has resized or turned the picture.
#include <cstdint>

#include "core/DeepSamples.h"
#include "imaging/Orientation.h"

namespace pixtrel {

// Mirrored, then turned, as TurnRaster does.
DeepSamples TurnDeep(const DeepSamples& deep, Orientation orientation);

// The part at (left, top) of width x height, which must lie inside the samples.
DeepSamples CropDeep(const DeepSamples& deep, int left, int top, int width, int height);

// The samples at (left, top) on an opaque canvas of the colour (0xRRGGBB, each 8-bit channel
// widened as v * 257).
DeepSamples PadDeep(const DeepSamples& deep, int canvasWidth, int canvasHeight, int left, int top,
                    std::uint32_t colour);

// Lanczos3 with pixel-centre geometry and weights that sum to one, as the fast method's 8-bit
// resampler, computed in double precision; with alpha, colours are weighted by their opacity.
DeepSamples ResampleDeep(const DeepSamples& deep, int width, int height);

}  // namespace pixtrel
