#pragma once
// HEIC files written through libheif with its HEVC encoder (x265): lossy at the JPEG save quality
// (HeicQuality), 4:2:0; alpha kept as an auxiliary image; 10 bits from deep samples, else 8; the
// EXIF, XMP and ICC blocks written as given, no rotation or mirroring boxes (the caller plans the
// metadata and turns the pixels upright). HEIC has no lossless setting here: x265's lossless
// files are read by few programs. Errors are Exceptions "HEIF error: <what libheif said>".
#include <cstdint>
#include <vector>

#include "codecs/heif/HeifOutput.h"
#include "io/FileBytes.h"

namespace pixtrel {

// Fails with "Cannot write HEIC files: this system's libheif has no HEVC encoder" when libheif
// was built without one, and as HeifSamples says for pictures beyond the encoder's limits.
// settings.lossless is ignored.
Bytes EncodeHeic(const Raster& raster, const std::vector<std::uint8_t>* alpha,
                 const DeepSamples* deep, const PictureMetadata& metadata,
                 const HeifWriteSettings& settings);

// Asked of libheif before every write: without an HEVC encoder, throws "Cannot write HEIC files:
// this system's libheif has no HEVC encoder".
void RequireHevcEncoder(bool present);

// The encoder speed: x265's preset "fast", chosen for batches of photos: a little over half the
// time of libheif's default "slow", for files about 6 % larger at the same quality.
inline constexpr const char* kHeicPreset = "fast";

}  // namespace pixtrel
