#pragma once
// The option controls a command's per-file work reads, as one value. The batch takes a snapshot
// from its host when it starts a file, so the file's work never calls back into the host and can
// run on any thread; a change made while a batch runs takes effect from the next file started.
#include <array>
#include <string>

#include "codecs/ImageFormat.h"
#include "imaging/ResizeMethod.h"
#include "metadata/MetadataPlan.h"

namespace pixtrel {

// The rotate command's choices, in the order they are offered.
enum class TurnChoice { Right = 0, Left = 1, UpsideDown = 2 };

// How the rotate command turns JPEG files: decoded and encoded anew (Off, the classic way), or
// on their compressed data without loss, refusing a picture that is not whole blocks (Whole) or
// dropping its partial edge blocks (Trim).
enum class LosslessTurn { Off, Whole, Trim };

struct BatchOptions {
  int saveQuality = 89;          // JPEG (and lossy WebP) quality for resize, rotate, greyscale
  int qualityCommandValue = 85;  // the JPEG quality command's own quality (0..100)
  // Per resizable format, indexed by FormatSlot: the pixel field as typed and the method slider.
  std::array<std::string, 5> pixelText{"800", "800", "800", "800", "800"};
  std::array<ResizeMethod, 5> method{ResizeMethod::Better, ResizeMethod::Better,
                                     ResizeMethod::Better, ResizeMethod::Better,
                                     ResizeMethod::Better};
  TurnChoice turn = TurnChoice::Right;
  bool upright = true;      // turn photos by their orientation tag before any command
  bool shrinkOnly = false;  // resizing leaves pictures already small enough as they are
  MetadataMode metadata = MetadataMode::Keep;
  ImageFormat convertTarget = ImageFormat::Jpeg;  // the "convert" command's output format
  bool dither = false;  // "convert" to GIF: Floyd-Steinberg dithering over the picture's palette
  LosslessTurn losslessTurn = LosslessTurn::Off;

  static constexpr int FormatSlot(ImageFormat format) {
    switch (format) {
      case ImageFormat::Jpeg:
        return 0;
      case ImageFormat::Gif:
        return 1;
      case ImageFormat::Bmp:
        return 2;
      case ImageFormat::Png:
        return 3;
      case ImageFormat::Webp:
        return 4;
      case ImageFormat::Heif:  // read only: never resized
        return 0;
    }
    return 0;
  }
  const std::string& pixels(ImageFormat format) const { return pixelText[FormatSlot(format)]; }
  ResizeMethod methodFor(ImageFormat format) const { return method[FormatSlot(format)]; }
};

}  // namespace pixtrel
