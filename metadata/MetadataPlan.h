#pragma once
// What an output file carries of its source's metadata, and whether its colours are converted to
// sRGB first, by the user's metadata choice and what the output format can hold.
#include <cstdint>

#include "core/DecodedPicture.h"

namespace pixtrel {

enum class MetadataMode {
  Keep,      // EXIF (updated), XMP and the ICC profile go to outputs that can hold them
  Strip,     // outputs carry none; colours are converted to sRGB
  StripGps,  // as Keep, without GPS and location data
};

struct OutputTarget {
  bool carriesMetadata = true;  // JPEG, PNG, WebP; not GIF or BMP
  bool grey = false;            // a one-component (greyscale) JPEG
  int width = 0;                // the output's pixel size
  int height = 0;
  bool pixelsUpright = true;  // the pixels were turned by the source's orientation tag
  bool jpegMetadata = false;  // JPEG: EXIF held to its rules, the IPTC block carried
};

struct MetadataPlan {
  PictureMetadata blocks;      // to write into the output (empty blocks: none)
  bool convertToSrgb = false;  // convert the pixels from the source profile before writing
};

// keep / strip-gps: EXIF edited (orientation 1 when the pixels were turned upright, pixel size,
// no thumbnail; no GPS for strip-gps; completed as a JPEG requires for JPEG outputs), XMP edited
// likewise, IPTC kept for JPEG outputs (without its location for strip-gps), the ICC profile kept
// when it suits the output (an RGB profile for colour outputs, a grey one for grey outputs):
// byte for byte, unless its header misstates its size, which is then put right for every output
// alike.
// strip: no blocks. A profile the output cannot carry or that does not suit it is converted
// away (convertToSrgb) when it is Rgb or Grey and not sRGB; a damaged block is left out.
MetadataPlan PlanOutputMetadata(const PictureMetadata& source, MetadataMode mode,
                                const OutputTarget& target);

}  // namespace pixtrel
