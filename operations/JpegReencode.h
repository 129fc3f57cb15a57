#pragma once
// A JPEG file decoded and encoded again: at another quality, or grey.
#include <filesystem>

#include "io/OutputSink.h"
#include "metadata/MetadataPlan.h"

namespace pixtrel {

struct JpegReencodeSettings {
  int quality = 85;
  bool greyscale = false;  // decoded grey and written with one component
  bool upright = true;     // turned as its orientation says first
  MetadataMode metadata = MetadataMode::Keep;
};

// Reads the JPEG at source, decodes it (grey when asked), turns it upright and writes it to
// output at the quality, progressive when its source was, with the metadata the choice keeps.
void ReencodeJpegFile(const FilePath& source, const FilePath& output,
                      const JpegReencodeSettings& settings, OutputSink& sink);

}  // namespace pixtrel
