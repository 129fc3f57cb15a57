#pragma once
// Drawing the first frame of a GIF picture into a 24-bit raster.
#include "codecs/gif/GifImage.h"
#include "core/Bitmap24.h"
#include "core/FastStretch.h"

namespace pixtrel {

// Draws the first frame, scaled as the logical screen maps onto rect, honouring transparency:
// a frame of its own size leaves transparent pixels untouched; a scaled transparent frame
// combines the source pixels that fall on one target pixel by AND (all transparent: untouched;
// mixed: black; all opaque: the AND of their colours). A picture of several frames composes the
// first one on a white screen-sized raster, which is then stretched. Parts of a frame outside
// the logical screen, and of rect outside the target, are clipped. Colour indices beyond the
// table draw black. A picture without frames draws nothing.
// Fails with "No global or local color table defined" when the frame has no table.
void DrawGifFrame(const TGIFImage& picture, Bitmap24& target, const Rect& rect);

// The first frame at its offset and own size, opaque (transparent pixels show their table
// colour), clipped to the target.
void DrawGifFrameOpaque(const TGIFImage& picture, Bitmap24& target);

}  // namespace pixtrel
