#pragma once
// Turning one picture file a quarter or half turn, written in its own format.
#include <filesystem>

#include "codecs/FormatRow.h"
#include "io/OutputSink.h"
#include "metadata/MetadataPlan.h"

namespace pixtrel {

struct RotateSettings {
  int angle = 270;       // counter-clockwise: 90, 180 or 270
  bool upright = true;   // a photo's orientation is applied with the turn, as one step
  int jpegQuality = 89;  // JPEG and lossy WebP outputs
  MetadataMode metadata = MetadataMode::Keep;
  // JPEG: the turn is made on the compressed data, without loss; partial edge blocks are refused
  // unless trim drops them.
  bool lossless = false;
  bool trim = false;
};

// Reads source in the given format (the extension is not looked at), turns it as seen and
// writes it to output in the same format through the sink: a JPEG anew (baseline, colour), a GIF
// with its colour table and transparent colour kept, a BMP at 24 bits, PNG and WebP with their
// alpha, colour table and losslessness. Nothing is written when any step fails. HEIF files are
// not written here: the caller refuses them first.
void RotateFile(const FilePath& source, const FilePath& output, const FormatRow& row,
                const RotateSettings& settings, OutputSink& sink);

}  // namespace pixtrel
