#pragma once
// The GIF codec in one include: the picture, reading, writing, drawing and rasters.
#include "codecs/gif/GifDraw.h"
#include "codecs/gif/GifImage.h"
#include "codecs/gif/GifRaster.h"
#include "codecs/gif/GifReader.h"
#include "codecs/gif/GifWriter.h"
#include "codecs/gif/NetscapePalette.h"
