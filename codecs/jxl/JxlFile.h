#pragma once
// JPEG XL files in memory through libjxl, as bare codestreams or in their box container: read
// (8 to 16 bits, alpha, the ICC profile, EXIF and XMP boxes, the codestream's orientation),
// written lossy or lossless, and JPEG files recompressed losslessly. Errors are Exceptions
// "JPEG XL error: <reason>".
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "core/DecodedPicture.h"

namespace pixtrel {

struct JxlPicture {
  // A Bitmap24 (deeper samples rounded to 8 bits), with an alpha plane when the file has alpha.
  // The EXIF block is given from its TIFF header on. lossless is false for pictures stored in
  // the lossy colour space or recompressed from a JPEG.
  DecodedPicture picture;
  // What turns the pixels upright, 1 to 8 as the EXIF tag counts: the codestream's orientation
  // when the pixels come as stored, 1 once libjxl has turned them. (The EXIF box's own tag does
  // not count in JPEG XL.)
  int orientation = 1;
};

// keepOrientation: the pixels come as stored, and `orientation` says how to turn them upright;
// otherwise libjxl turns them and the picture's size is the upright one. The header is held to
// the picture limits before anything is decoded.
JxlPicture ReadJxlBytes(std::span<const std::uint8_t> bytes, bool keepOrientation);

struct JxlSettings {
  int quality = 90;       // 0..100 as the JPEG save quality counts it (see JxlDistance)
  bool lossless = false;  // every pixel kept, colours under transparent pixels too
  int orientation = 1;    // written into the codestream, 1 to 8
};

// The picture (alpha kept when given, one byte per pixel, 255 = opaque) with the metadata
// blocks that are not empty: the ICC profile in the codestream (left out when libjxl cannot
// read it), EXIF and XMP as boxes.
std::vector<std::uint8_t> EncodeJxl(const Raster& raster, const std::vector<std::uint8_t>* alpha,
                                    const PictureMetadata& metadata,
                                    const JxlSettings& settings = {});

// The JPEG's own coefficients in a JPEG XL file, with the data that rebuilds the JPEG byte for
// byte (djxl out.jxl back.jpg). Its EXIF and XMP segments become boxes. Fails for JPEG files
// libjxl cannot take over unchanged (CMYK, arithmetic coding). size is the JPEG's frame size as
// its header gives it (the JPEG codec's probe); it is held to the picture limits before libjxl
// allocates the coefficients.
std::vector<std::uint8_t> RecompressJpeg(std::span<const std::uint8_t> jpeg, PictureSize size);

// The butteraugli distance a quality stands for; 0 (lossless) for 100.
float JxlDistance(int quality);

// The picture's stored size from the first bytes of a file (the codestream header, also inside
// a container), or nothing when they do not start a JPEG XL file.
std::optional<PictureSize> ProbeJxl(std::span<const std::uint8_t> head);

}  // namespace pixtrel
