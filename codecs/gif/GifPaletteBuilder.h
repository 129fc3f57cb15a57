#pragma once
// A colour table made for one picture: the colours a GIF of it uses instead of the fixed
// 216-colour palette. A picture of at most maxColours distinct colours gets exactly those; any
// other gets a median cut of its colours (the box with the largest squared error split where
// the two halves' error is least) refined by a few rounds of k-means, so that each entry is about
// the mean of the pixels it stands for. Deterministic: the same pixels give the same table.
#include <cstdint>
#include <vector>

#include "core/Bitmap24.h"
#include "core/PaletteBitmap.h"

namespace pixtrel {

// At most maxColours (1..256) entries for the pixels whose mask byte is not 0 (every pixel when
// mask is null; else one byte per pixel, rows without padding). Exact colours come sorted by red,
// green, blue. Empty when no pixel counts.
std::vector<Rgb> BuildPalette(const Bitmap24& picture, const std::vector<std::uint8_t>* mask,
                              int maxColours);

}  // namespace pixtrel
