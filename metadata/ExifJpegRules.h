#pragma once
// What the EXIF of a JPEG file must hold. HEIC, AVIF, PNG and WebP writers leave out tags that
// the EXIF standard requires of JPEG files (the Exif IFD's version and components, the GPS
// version, the resolution), so readers that validate a JPEG complain about blocks carried over
// from them; completing the block answers that.
#include <cstdint>
#include <vector>

namespace pixtrel {

struct JpegExifFacts {
  int width = 0;  // the picture's size, for PixelXDimension and PixelYDimension (0: unknown)
  int height = 0;
  bool uncalibrated = false;  // the file carries a profile other than sRGB
};

// Adds what is missing: XResolution and YResolution (72), ResolutionUnit (inches) and
// YCbCrPositioning (centred) to IFD0; ExifVersion 0232, ComponentsConfiguration (Y Cb Cr),
// FlashpixVersion 0100, ColorSpace and the pixel size to an Exif IFD; GPSVersionID 2.3 to a GPS
// IFD. Removes from IFD0 the tags a JPEG must not have there (the TIFF picture's own layout:
// ImageWidth, StripOffsets, Compression, ...). A directory that changes is written anew at the
// end of the block and the old one cleared; every value stays where it was. A damaged block,
// or one that would grow past what a JPEG segment holds, is left as it is.
void CompleteExifForJpeg(std::vector<std::uint8_t>& tiff, const JpegExifFacts& facts);

}  // namespace pixtrel
