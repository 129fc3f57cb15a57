#pragma once
// Resizing one picture file so that its longer side has N pixels, aspect ratio kept.
#include <filesystem>
#include <optional>

#include "codecs/FormatRow.h"
#include "imaging/ResizeMethod.h"
#include "imaging/TargetSize.h"
#include "io/OutputSink.h"
#include "metadata/MetadataPlan.h"

namespace pixtrel {

struct ResizeSettings {
  ResizeMethod method = ResizeMethod::Better;
  int n = 800;
  int jpegQuality = 89;  // JPEG and lossy WebP outputs
  bool upright = true;   // turn photos by their orientation first; the size follows the upright
  MetadataMode metadata = MetadataMode::Keep;
  // A picture whose longer side is n or less is copied unchanged (only its metadata edited,
  // without re-encoding, where the metadata choice removes some), not scaled.
  bool shrinkOnly = false;
};

// Reads source in the given format (the extension is not looked at), scales it to ResizedSize
// with the method (Normal: nearest-neighbour stretch; Better: the "Lanczos3" resampler) and
// writes it to output in the same format, through the sink. A JPEG is written at jpegQuality and
// stays progressive when its source was; a WebP stays lossless when its source was. Nothing is
// written when any step fails. HEIF files cannot be written: resizing one fails.
// Returns the source's size as seen (turned upright) when it was decoded whole before resizing,
// the only route on which its header alone may not tell (a PNG's orientation sits after it).
std::optional<PictureSize> ResizeFile(const FilePath& source, const FilePath& output,
                                      const FormatRow& row, const ResizeSettings& settings,
                                      OutputSink& sink = WriteAtOnce());

}  // namespace pixtrel
