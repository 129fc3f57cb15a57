// The canvases the derived images of a HEIF file claim: grids of tiles (how phones store their
// photos) and overlays. libheif allocates a derived image at the size its own data states,
// whatever the image's ispe property says, so a file of a few hundred bytes could make it
// allocate gigabytes; the reader holds these sizes to our limits before anything is decoded.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace pixtrel {

struct CanvasSize {
  std::int64_t width = 0;
  std::int64_t height = 0;
};

// One size for every grid and overlay item whose data can be found; none for a file that is not
// laid out as HEIF (libheif then refuses it itself).
std::vector<CanvasSize> DerivedImageSizes(std::span<const std::uint8_t> file);

}  // namespace pixtrel
