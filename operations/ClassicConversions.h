#pragma once
// The classic converters of GIF and BMP sources (JPEG sources go through ConvertFile). Each
// reads its source completely, takes the picture as one raster and writes it in the target
// format: new JPEG pictures at quality 90, baseline, colour; new GIF pictures with the codec's
// creation defaults. The output is made only after the source has been read, encoded fully in
// memory and written atomically; an existing file is replaced.
#include <filesystem>
#include <string>

#include "io/OutputSink.h"

namespace pixtrel {

void ConvertGifToJpeg(const FilePath& source, const FilePath& target,
                      OutputSink& sink = WriteAtOnce());
void ConvertBmpToJpeg(const FilePath& source, const FilePath& target,
                      OutputSink& sink = WriteAtOnce());
void ConvertBmpToGif(const FilePath& source, const FilePath& target,
                     OutputSink& sink = WriteAtOnce());
void ConvertGifToBmp(const FilePath& source, const FilePath& target,
                     OutputSink& sink = WriteAtOnce());

}  // namespace pixtrel
