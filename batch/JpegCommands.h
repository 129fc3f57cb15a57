#pragma once
#include "batch/BatchCommand.h"

namespace pixtrel {

// Re-encodes each JPEG at the quality command's own quality; honours the save mode ("q-") and
// keep-date; a progressive source stays progressive.
BatchCommand QualityCommand();

// Re-encodes each JPEG as a one-component greyscale JPEG at the save quality, always to
// "bw-" + name beside the source; ignores the save mode and keep-date.
BatchCommand GreyscaleCommand();

}  // namespace pixtrel
