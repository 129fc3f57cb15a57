#pragma once
// GIF animations with every frame: reading composes the frames onto the logical screen as a
// viewer plays them, with their delays and the NETSCAPE2.0 loop count; writing gives every frame
// its own colour table.
#include <cstdint>
#include <span>

#include "codecs/gif/GifImage.h"
#include "core/AnimatedPicture.h"
#include "io/FileBytes.h"

namespace pixtrel {

// Composes the frames in order onto a canvas of the logical screen's size that starts fully
// transparent (as browsers play GIFs; the background colour index is not used). Each frame is
// drawn at its offset, clipped to the screen, its transparent index leaving what is below;
// indices beyond its colour table draw black. Once shown, a frame is disposed of by its graphic
// control's method: 0 (unspecified) and 1 leave it, 2 clears its rectangle to transparent, 3
// puts back what was there before it; 4 to 7 (undefined) count as 1. Delays are the graphic
// control's hundredths of a second in milliseconds (0 without one). Plays: see AnimatedPicture.
// Fails with "Picture too large...", "Picture too large for its data..." (canvas x frames,
// against dataBytes), "No global or local color table defined", and "GIF file has no frames"
// or "GIF screen is empty" when there is nothing to show.
AnimatedPicture ComposeGifAnimation(const TGIFImage& gif, std::int64_t dataBytes);

// The file decoded (DecodeGif, whose warnings are lived with as there: a file cut off keeps the
// frames read before the cut) and composed. A file with more frames than the reader keeps
// fails with "Picture too large: ..." instead of playing a shortened animation.
AnimatedPicture DecodeGifAnimation(std::span<const std::uint8_t> bytes);

// The frames the GIF reader finds in the file (the frame limits apply).
int CountGifFrames(std::span<const std::uint8_t> bytes);

// A GIF89a file of the canvas's size without a global table. The first frame covers the whole
// canvas; every later frame is only the rectangle that changes from what is shown before it,
// drawn over it (disposal 1, "leave in place"). Where pixels turn from opaque to transparent the
// frame before is instead cleared once shown (disposal 2), its rectangle grown to cover them,
// and the next frame redraws what stays. A frame that changes nothing is a single pixel, so the
// frame count and every delay are kept. Each frame's colours come from BuildGifPalette (alpha
// below 128 is transparent, with a transparent index in that frame's table). Delays are written
// in hundredths of a second (rounded; at most 655.35 s); a NETSCAPE2.0 extension gives the loop
// count unless the animation plays once. Fails with "Picture too large for a GIF file" for a
// canvas side over 65,535 and with "Unsupported GIF version" for an animation without frames.
Bytes EncodeGifAnimation(const AnimatedPicture& animation);

}  // namespace pixtrel
