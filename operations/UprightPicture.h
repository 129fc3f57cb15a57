#pragma once
// A picture file read as the user sees it in a viewer: turned upright by its orientation (the
// EXIF tag, or HEIF's own transforms), unless the user asked to ignore orientation.
#include <cstdint>
#include <span>

#include "codecs/FormatRow.h"
#include "core/DecodedPicture.h"
#include "imaging/Orientation.h"

namespace pixtrel {

// The file's picture, upright when asked; otherwise as stored. A 16-bit file's deep samples are
// kept (and turned) only with keepDeep, for a writer that uses them; otherwise they are dropped
// at once, since turning them would double the work and the memory for nothing.
DecodedPicture ReadUpright(std::span<const std::uint8_t> bytes, const FormatRow& row, bool upright,
                           bool keepDeep = false);

// The picture as stored with the turn that makes it upright (identity when upright is false,
// or when the format turns it itself): for commands that combine it with a turn of their own.
// Deep samples as for ReadUpright.
struct StoredPicture {
  DecodedPicture picture;
  Orientation toUpright;
};
StoredPicture ReadStored(std::span<const std::uint8_t> bytes, const FormatRow& row, bool upright,
                         bool keepDeep);

}  // namespace pixtrel
