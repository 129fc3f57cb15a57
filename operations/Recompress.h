#pragma once
// A conversion that needs no pixel: the target takes the source's compressed data over as it is
// (JPEG XL from JPEG), so nothing is lost and the original can be restored from the output.
#include <optional>
#include <span>

#include "codecs/FormatRow.h"
#include "operations/ConvertFile.h"

namespace pixtrel {

// The output of converting bytes of the source format to target by recompressing them, or
// nothing when that does not apply: the target takes no data of this format, the picture must
// be turned upright (its pixels change), the metadata choice needs its colours converted or
// blocks the format cannot rebuild, or the target refuses this file (a CMYK or arithmetic-coded
// JPEG). With --metadata keep the source is taken whole, every byte of it restorable; otherwise
// it is first rebuilt with the blocks the choice allows.
std::optional<Bytes> Recompressed(std::span<const std::uint8_t> bytes, const FormatRow& source,
                                  const FormatRow& target, const ConvertSettings& settings);

}  // namespace pixtrel
