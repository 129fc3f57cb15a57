#pragma once
// The option controls a command's per-file work reads, as one value. The batch takes a snapshot
// from its host when it starts a file, so the file's work never calls back into the host and can
// run on any thread; a change made while a batch runs takes effect from the next file started.
#include <array>
#include <string>

#include "formats/ImageFormat.h"
#include "imaging/ResizeMethod.h"

namespace pixtrel {

// The rotate command's choices, in the order they are offered.
enum class TurnChoice { Right = 0, Left = 1, UpsideDown = 2 };

struct BatchOptions {
  int saveQuality = 89;          // JPEG quality for resize, rotate and greyscale (0..100)
  int qualityCommandValue = 85;  // the JPEG quality command's own quality (0..100)
  // Per format, indexed by FormatSlot: the pixel field as typed and the method slider.
  std::array<std::string, 3> pixelText{"800", "800", "800"};
  std::array<ResizeMethod, 3> method{ResizeMethod::Better, ResizeMethod::Better,
                                     ResizeMethod::Better};
  TurnChoice turn = TurnChoice::Right;

  static constexpr int FormatSlot(ImageFormat format) {
    switch (format) {
      case ImageFormat::Jpeg:
        return 0;
      case ImageFormat::Gif:
        return 1;
      case ImageFormat::Bmp:
        return 2;
    }
    return 0;
  }
  const std::string& pixels(ImageFormat format) const { return pixelText[FormatSlot(format)]; }
  ResizeMethod methodFor(ImageFormat format) const { return method[FormatSlot(format)]; }
};

}  // namespace pixtrel
