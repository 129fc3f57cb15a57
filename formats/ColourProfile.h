#pragma once
// ICC colour profiles through LittleCMS 2: telling sRGB from other profiles, and converting a
// picture's colours to sRGB (relative colorimetric) when its target cannot carry the profile.
#include <cstdint>
#include <span>

#include "formats/Raster.h"

namespace pixtrel {

enum class ProfileKind {
  None,     // no profile
  Damaged,  // the profile cannot be read, or is not an input/display/colour-space profile
  Srgb,     // an RGB profile that maps colours as sRGB does (to within one level)
  Rgb,      // another RGB profile (Adobe RGB, Display P3, ProPhoto, ...)
  Grey,     // a grey profile
  Other,    // CMYK, Lab and the rest: they do not describe the raster's RGB values
};

ProfileKind ClassifyProfile(std::span<const std::uint8_t> icc);

// Converts the raster's colours from the profile to sRGB: every pixel of a Bitmap24, every table
// entry of a PaletteBitmap; a grey profile maps each pixel's grey level (its green value) to an
// sRGB colour. The result is the same whatever the number of threads. Returns false, leaving
// the raster as it was, when the profile is not Rgb or Grey.
bool ConvertToSrgb(Raster& raster, std::span<const std::uint8_t> icc);

}  // namespace pixtrel
