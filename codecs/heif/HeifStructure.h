// How many items a HEIF file holds, how many references join them and how deep derived images
// (grids, overlays, identity derivations) nest, read from the boxes before libheif walks them:
// libheif's time and memory grow faster than the file with each of these (10,000 Exif items in
// 700 KB took it over a minute; a chain of 5,000 derivations a gigabyte).
#pragma once

#include <cstdint>
#include <span>

namespace pixtrel {

struct HeifStructure {
  std::int64_t items = 0;              // infe boxes, or iloc entries when there are more of those
  std::int64_t references = 0;         // target items named by all iref boxes together
  std::int64_t depth = 0;              // longest chain of dimg references; cycles count as endless
  bool derivedFromNonPicture = false;  // a grid, overlay or identity picture made from an item
                                       // that is missing or not a picture
  bool derivedFromNothing = false;     // a grid, overlay or identity picture naming no input
};

// What the file's meta box describes; all zero for a file without one.
HeifStructure ReadHeifStructure(std::span<const std::uint8_t> file);

// Throws "HEIF error: ..." when the structure is beyond the limits in Limits.h.
void CheckHeifStructure(std::span<const std::uint8_t> file);

}  // namespace pixtrel
