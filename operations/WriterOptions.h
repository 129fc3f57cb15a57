#pragma once
// Which of the encoder settings a format's writer heeds: the quality of lossy formats, lossless
// where a format has both kinds, progressive scans and optimised coding. The format table does not
// list them, so each writer is asked: a setting is heeded when it changes what the writer makes
// of a small picture. The window shows a setting's control only for the formats that heed it.
#include "codecs/Registry.h"

namespace pixtrel {

struct WriterOptions {
  bool quality = false;
  bool lossless = false;
  bool progressive = false;
  bool optimise = false;
};

// Nothing for a format that is only read.
WriterOptions WriterOptionsOf(const FormatRow& row);

}  // namespace pixtrel
