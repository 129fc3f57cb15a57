#pragma once
// The rotate command's turn of a JPEG without loss: its orientation and the user's turn applied
// as one transform of the compressed data, its metadata as the user's choice says.
#include <cstdint>
#include <span>

#include "io/FileBytes.h"
#include "metadata/MetadataPlan.h"

namespace pixtrel {

struct LosslessTurnSettings {
  bool trim = false;    // drop partial edge blocks instead of refusing the picture
  bool upright = true;  // apply the EXIF orientation first (the picture is turned as seen)
  MetadataMode metadata = MetadataMode::Keep;
};

// The JPEG turned by counterClockwiseAngle (a multiple of 90) as TransformJpeg does it. Keep and
// strip-gps carry every marker of the source, with the EXIF block edited (orientation 1 when the
// orientation was applied, the new pixel size, no thumbnail; no GPS for strip-gps) and the XMP
// likewise; strip carries none. The colour profile stays whenever the colours need it: the
// coefficients are the source's and cannot be converted to sRGB, so under strip only an sRGB
// profile is left out.
Bytes TurnJpegWithoutLoss(std::span<const std::uint8_t> jpeg, int counterClockwiseAngle,
                          const LosslessTurnSettings& settings);

}  // namespace pixtrel
