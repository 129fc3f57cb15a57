#pragma once
// The GIF codec in one include: the picture, reading, writing, drawing and rasters.
#include "formats/GifDraw.h"
#include "formats/GifImage.h"
#include "formats/GifRaster.h"
#include "formats/GifReader.h"
#include "formats/GifWriter.h"
#include "formats/NetscapePalette.h"
