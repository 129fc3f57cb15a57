#pragma once
// What the user chose for an output, as the encoders need it.
#include "metadata/MetadataPlan.h"

namespace pixtrel {

struct OutputChoices {
  int quality = 90;       // JPEG and lossy WebP
  bool lossless = false;  // WebP: keep every pixel (the source was lossless)
  // JPEG: several scans (a resized progressive JPEG stays progressive; --progressive asks it).
  bool progressive = false;
  bool optimise = false;  // JPEG: Huffman tables made for the picture
  MetadataMode metadata = MetadataMode::Keep;
  bool pixelsUpright = true;  // the pixels were turned by the source's orientation
  // GIF: a colour table made for the picture (its transparency kept as a transparent entry),
  // optionally dithered, instead of the fixed palette.
  bool ownPalette = false;
  bool dither = false;
};

// The choices every command makes alike: the save quality, lossless when the source was, the
// metadata choice, and whether the pixels were turned upright.
OutputChoices ChoicesFor(int quality, bool sourceLossless, MetadataMode metadata,
                         bool pixelsUpright);

}  // namespace pixtrel
