#pragma once
// ICC colour profiles through LittleCMS 2: telling sRGB from other profiles, and converting a
// picture's colours to sRGB (relative colorimetric) when its target cannot carry the profile.
#include <cstdint>
#include <span>

#include "core/Raster.h"

namespace pixtrel {

enum class ProfileKind {
  None,     // no profile
  Damaged,  // the profile cannot be read, or cannot describe a picture's colours (a device
            // link, abstract or named-colour profile; input, display, output and colour-space
            // profiles can)
  Srgb,     // an RGB profile that maps colours as sRGB does (to within one level)
  Rgb,      // another RGB profile (Adobe RGB, Display P3, ProPhoto, ...)
  Grey,     // a grey profile
  Other,    // CMYK, Lab and the rest: they do not describe the raster's RGB values
};

ProfileKind ClassifyProfile(std::span<const std::uint8_t> icc);

// Converts the raster's colours from the profile to sRGB: every pixel of a Bitmap24, every table
// entry of a PaletteBitmap; a grey profile maps each pixel's grey level (its green value) to an
// sRGB colour. The result is the same whatever the number of threads. Returns false, leaving
// the raster as it was, when the profile is not an RGB or grey one (ClassifyProfile's Srgb, Rgb
// or Grey); an Srgb profile converts too, changing colours by a level at most.
bool ConvertToSrgb(Raster& raster, std::span<const std::uint8_t> icc);

}  // namespace pixtrel
