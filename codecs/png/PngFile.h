#pragma once
// PNG files in memory: every colour type, bit depth and interlacing read; 8-bit RGB, RGBA or
// palette written. Errors are Exceptions "PNG error: <what the codec said>".
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "core/DecodedPicture.h"

namespace pixtrel {

// Palette files without transparency give a PaletteBitmap; every other file a Bitmap24 (16-bit
// samples scaled to 8 bits with rounding), with an alpha plane when the file has an alpha
// channel or a tRNS chunk. EXIF (eXIf), the ICC profile (iCCP) and XMP (iTXt
// "XML:com.adobe.xmp") are returned as found. keepDeepSamples: a 16-bit file also gives its
// samples at 16 bits (DecodedPicture::deep), for writers that store more than 8 bits; its raster
// and alpha plane are the same as without.
DecodedPicture ReadPngBytes(std::span<const std::uint8_t> bytes, bool keepDeepSamples = false);

// 8-bit RGB, or RGBA when alpha is given (one byte per pixel, 255 = opaque); a PaletteBitmap
// without alpha is written as a palette file of the fewest bits its table needs. The metadata
// blocks that are not empty are written; an ICC profile the codec refuses is left out, the
// colours converted from it to sRGB when LittleCMS can read it. zlibLevel 0 stores the pixels
// uncompressed; 1 to 6 (all alike) filter every row of a truecolour picture the same way and
// compress fast; 7 to 9 try every filter on every row and search harder, for smaller files at
// several times the time. Palette pictures are not filtered, at the level given.
std::vector<std::uint8_t> EncodePng(const Raster& raster, const std::vector<std::uint8_t>* alpha,
                                    const PictureMetadata& metadata, int zlibLevel = 6);

// The picture's size from the first bytes of a PNG file (the header only), or nothing when they
// do not start one.
std::optional<PictureSize> ProbePng(std::span<const std::uint8_t> head);

}  // namespace pixtrel
