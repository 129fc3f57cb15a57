#pragma once
// What a file's first bytes tell without decoding it: its size as seen and, from its EXIF, when
// it was taken. The run names files from these where it does not decode, and the window tells
// from them what a file will become.
#include <cstdint>
#include <optional>
#include <span>

#include "codecs/Registry.h"
#include "metadata/CaptureDate.h"

namespace pixtrel {

struct HeaderFacts {
  int width = 0, height = 0;  // upright when asked: a JPEG's EXIF orientation applied
  std::optional<CaptureDate> captured;
};

// head: the file's first bytes (the probes need at most 256 KiB). Nothing when the header
// cannot be read. The metadata is read where the format reads it without decoding (JPEG, WebP);
// the other formats' size is given as stored.
std::optional<HeaderFacts> ReadHeaderFacts(std::span<const std::uint8_t> head, const FormatRow& row,
                                           bool upright);

}  // namespace pixtrel
