#pragma once
// The option controls a command's per-file work reads, as one value. The batch takes a snapshot
// from its host when it starts a file, so the file's work never calls back into the host and can
// run on any thread; a change made while a batch runs takes effect from the next file started.
#include <string>
#include <vector>

#include "codecs/Registry.h"
#include "imaging/ResizeMethod.h"
#include "metadata/MetadataPlan.h"

namespace pixtrel {

// The rotate command's choices, in the order they are offered.
enum class TurnChoice { Right = 0, Left = 1, UpsideDown = 2 };

// How the rotate command turns JPEG files: decoded and encoded anew (Off, the classic way), or
// on their compressed data without loss, refusing a picture that is not whole blocks (Whole) or
// dropping its partial edge blocks (Trim).
enum class LosslessTurn { Off, Whole, Trim };

// One resizable format's controls: the pixel field as typed and the method slider.
struct ResizeControls {
  std::string pixelText = "800";
  ResizeMethod method = ResizeMethod::Better;
};

struct BatchOptions {
  int saveQuality = 89;          // JPEG (and lossy WebP) quality for resize, rotate, greyscale
  int qualityCommandValue = 85;  // the JPEG quality command's own quality (0..100)
  // Per resizable format, indexed by its row's resizeRank.
  std::vector<ResizeControls> resize = std::vector<ResizeControls>(ResizableRows().size());
  TurnChoice turn = TurnChoice::Right;
  bool upright = true;      // turn photos by their orientation tag before any command
  bool shrinkOnly = false;  // resizing leaves pictures already small enough as they are
  MetadataMode metadata = MetadataMode::Keep;
  const FormatRow* convertTarget = RowForKey("jpg");  // the "convert" command's output format
  bool dither = false;  // "convert" to GIF: Floyd-Steinberg dithering over the picture's palette
  LosslessTurn losslessTurn = LosslessTurn::Off;

  ResizeControls& resizeOf(const FormatRow& row) { return resize.at(row.resizeRank); }
  const ResizeControls& resizeOf(const FormatRow& row) const { return resize.at(row.resizeRank); }
  const std::string& pixels(const FormatRow& row) const { return resizeOf(row).pixelText; }
  ResizeMethod methodFor(const FormatRow& row) const { return resizeOf(row).method; }
};

}  // namespace pixtrel
