#pragma once
// A truecolour picture as a GIF frame with a colour table of its own (GifPaletteBuilder), for the
// commands that keep a picture's colours; the classic commands use the fixed NetscapePalette.
#include <cstdint>
#include <vector>

#include "core/Bitmap24.h"
#include "core/PaletteBitmap.h"

namespace pixtrel {

struct QuantizedPicture {
  PaletteBitmap indices;      // 8 bits per pixel, the table as built
  int transparentIndex = -1;  // the table's last entry when the picture has transparency
};

// Up to 256 colours, or 255 and a transparent entry (white) when some pixel of the alpha plane
// (one byte per pixel, 255 opaque) is below 128: those pixels become transparent, and the other
// pixels that are not fully opaque are drawn over white (the usual matte of web graphics), since
// a GIF pixel is either see-through or not. dither: Floyd-Steinberg dithering (see MapToTable).
QuantizedPicture QuantizeForGif(const Bitmap24& picture, const std::vector<std::uint8_t>* alpha,
                                bool dither);

}  // namespace pixtrel
