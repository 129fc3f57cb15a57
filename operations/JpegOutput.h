#pragma once
// Writing a JPEG picture with the metadata of its source that the user's choice lets it carry.
#include <filesystem>

#include "codecs/jpeg/JpegImage.h"
#include "metadata/MetadataPlan.h"

namespace pixtrel {

// Encodes the picture's raster with its settings and writes it through the sink, carrying what
// PlanOutputMetadata allows of the source's blocks (its colours converted to sRGB first when the
// plan says so). A source without metadata gives exactly the bytes WriteJpegFile gives.
void WriteJpegWithMetadata(TJPEGImage& picture, const PictureMetadata& source, MetadataMode mode,
                           bool pixelsUpright, const FilePath& output, OutputSink& sink);

}  // namespace pixtrel
