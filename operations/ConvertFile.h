#pragma once
// Converting a picture file of any readable format into any writable one.
#include <filesystem>

#include "codecs/FormatRow.h"
#include "io/OutputSink.h"
#include "metadata/MetadataPlan.h"

namespace pixtrel {

struct ConvertSettings {
  int quality = 90;     // JPEG and lossy WebP outputs
  bool upright = true;  // turn photos by their orientation first
  MetadataMode metadata = MetadataMode::Keep;
  // GIF outputs: a colour table made for each picture, optionally dithered (the classic
  // conversions use the fixed 216-colour palette).
  bool ownGifPalette = false;
  bool dither = false;
};

// Reads source as sourceFormat (upright unless asked not to) and writes it to output as target:
// alpha kept where the target has it, else composited on white; a WebP is lossless when the
// source was (PNG, GIF, BMP, lossless WebP), lossy at the quality otherwise; metadata and colours
// as the metadata choice and the target allow. An animated GIF or WebP written as GIF or WebP
// keeps every frame (ConvertAnimation); to other formats it gives its first frame. A target that
// takes the source's compressed data over (JPEG XL from JPEG) gets it as it is when the pixels
// need no change (Recompressed). The output is
// written only once all is done.
void ConvertFile(const FilePath& source, const FormatRow& sourceFormat, const FilePath& output,
                 const FormatRow& target, const ConvertSettings& settings,
                 OutputSink& sink = WriteAtOnce());

}  // namespace pixtrel
