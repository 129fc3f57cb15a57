#pragma once
// AVIF files written through libheif with its AV1 encoder (libaom preferred): lossy at the JPEG
// save quality (AvifQuantizer) in 4:2:0, or lossless (4:4:4, identity matrix, every sample kept);
// alpha kept losslessly; 10 bits from deep samples (through libavif, see TenBitAvif.h), else 8;
// the EXIF, XMP and ICC blocks written as given, no rotation or mirroring boxes (the caller plans
// the metadata and turns the pixels upright). Errors are Exceptions "HEIF error: <what libheif
// said>" ("AVIF error: ..." from libavif).
#include <cstdint>
#include <vector>

#include "codecs/heif/HeifOutput.h"
#include "io/FileBytes.h"

namespace pixtrel {

// Fails with "Cannot write AVIF files: this system's libheif has no AV1 encoder" when libheif
// was built without one, and as HeifSamples says for pictures beyond the encoder's limits.
Bytes EncodeAvif(const Raster& raster, const std::vector<std::uint8_t>* alpha,
                 const DeepSamples* deep, const PictureMetadata& metadata,
                 const HeifWriteSettings& settings);

// The AV1 encoder used, given what this system's libheif has (asked before every write): libaom
// when there, so that speed and quantizer mean what they are documented to, else libheif's first
// AV1 encoder at the corresponding quality; without one, throws "Cannot write AVIF files: this
// system's libheif has no AV1 encoder".
enum class Av1Encoder { Aom, Other };
Av1Encoder ChooseAv1Encoder(bool haveAom, bool haveAny);

// The encoder speed: libaom's cpu-used 9, chosen for batches of photos: about a tenth of the time
// of its default 6, for files 2 to 20 % larger at the same quality (its speeds 7 and 8 cost
// several times 9's time for the same files).
inline constexpr int kAvifSpeed = 9;

}  // namespace pixtrel
