#pragma once
// BMP files: read into a raster, written from one.
#include <filesystem>
#include <span>

#include "core/Raster.h"
#include "io/FileBytes.h"
#include "io/OutputSink.h"

namespace pixtrel {

// Decodes BMP bytes: 12-byte core or 40-byte-and-longer info headers; 1, 4, 8, 16, 24, 32 bits
// per pixel; uncompressed, RLE8, RLE4 and bit fields; bottom-up or top-down. 1-8 bits give a
// PaletteBitmap, deeper files a Bitmap24. Empty input gives an empty raster.
// Errors: "Bitmap image is not valid", "Stream read error", the picture size limits.
Raster DecodeBmp(std::span<const std::uint8_t> bytes);
Raster ReadBmpFile(const FilePath& path);

// A Bitmap24 is written at 24 bits per pixel; a PaletteBitmap at 8 bits per pixel with a colour
// table of 2^(its bits per pixel) entries beginning with its own colours.
Bytes EncodeBmp(const Raster& raster);
void WriteBmpFile(const Raster& raster, const FilePath& path, OutputSink& sink = WriteAtOnce());

}  // namespace pixtrel
