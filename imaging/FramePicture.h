#pragma once
// The framing steps of the one-pass command on a decoded picture with its alpha plane: a part
// cut out, the picture centred on a canvas, transparent parts laid over a colour.
#include <cstdint>

#include "core/DecodedPicture.h"

namespace pixtrel {

// The part at (left, top) of width x height, which must lie inside the picture.
DecodedPicture CropPicture(DecodedPicture picture, int left, int top, int width, int height);

// The picture at (left, top) on an opaque canvas of the colour (0xRRGGBB); the canvas's own
// pixels are opaque, the picture's keep their alpha.
DecodedPicture PadPicture(DecodedPicture picture, int canvasWidth, int canvasHeight, int left,
                          int top, std::uint32_t colour);

// The picture drawn over the colour: (c * a + bg * (255 - a) + 127) / 255 per channel, so white
// gives what CompositeOnWhite gives. The alpha plane is gone afterwards.
void LayOverColour(DecodedPicture& picture, std::uint32_t colour);

}  // namespace pixtrel
