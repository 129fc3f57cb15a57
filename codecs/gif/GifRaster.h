#pragma once
// Between GIF pictures and rasters: the first frame as one raster, and a raster as the only
// frame of a picture.
#include "codecs/gif/GifImage.h"
#include "core/Raster.h"

namespace pixtrel {

// The picture as one raster. No frames: an empty raster. A first frame that covers the logical
// screen exactly: an 8-bit PaletteBitmap with the frame's table in order and the indices as
// stored (transparency not applied). Otherwise a Bitmap24 of the screen's size, white, with the
// frame drawn opaque at its offset. Fails with "No global or local color table defined".
Raster GifFrameRaster(const TGIFImage& picture);

// Replaces every frame by one made from the raster, at 0, 0, without extensions; the global
// table is dropped and the screen takes the raster's size; the background colour index and
// aspect ratio stay. A PaletteBitmap keeps its table (in order, with its number of entries) and
// its indices; a Bitmap24 is reduced to the NetscapePalette (216 colours and 40 black entries).
// An empty raster leaves one empty frame.
void SetGifRaster(TGIFImage& picture, const Raster& raster);
void SetGifRaster(TGIFImage& picture, const Bitmap24& raster);
void SetGifRaster(TGIFImage& picture, const PaletteBitmap& raster);

// Makes colour `index` of the only frame SetGifRaster made transparent: a graphic control
// extension says so, and the file is written as GIF89a. -1, an index outside the frame's table
// or an empty picture leave the frame opaque.
void SetGifTransparentIndex(TGIFImage& picture, int index);

}  // namespace pixtrel
